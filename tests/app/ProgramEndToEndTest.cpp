// The installed program as scripts meet it: offscreen, with SDL's disk audio
// driver, driven by the sender tool and ended by SIGTERM.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QProcess>
#include <QTest>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "tests/app/AppTestSupport.h"

namespace {

namespace fs = std::filesystem;

// A few seconds of speech, so that it is still under way when paused.
const char* const kSentence =
    "Καλημέρα σας, τι κάνετε; Σήμερα ο καιρός είναι πολύ ωραίος και θα πάμε βόλτα στη θάλασσα.";
constexpr int kSampleRate = 22050;  // samples a second on the sound card
constexpr int kTrue = 0;
constexpr int kFalse = 1;

class ProgramEndToEndTest : public testing::Test {
 protected:
  ProgramEndToEndTest() {
    app_testing::App();
    for (const std::string& dir : {config_, run_, work_}) fs::create_directories(dir);
    chmod(run_.c_str(), 0700);
    const std::string install = "XDG_CONFIG_HOME='" + config_ + "' '" TM_CMAKE "' --install '" +
                                TM_BUILD_DIR + "' --prefix '" + install_ + "' > /dev/null";
    installed_ = std::system(install.c_str()) == 0;
    for (const auto& [name, value] : {std::pair<QString, std::string>{"XDG_CONFIG_HOME", config_},
                                      {"XDG_RUNTIME_DIR", run_},
                                      {"QT_QPA_PLATFORM", "offscreen"},
                                      {"SDL_AUDIODRIVER", "disk"},
                                      {"SDL_DISKAUDIOFILE", audio_}})
      env_.insert(name, QString::fromStdString(value));
    program_.setWorkingDirectory(QString::fromStdString(work_));
  }

  void Start(const QProcessEnvironment& env) {
    program_.setProcessEnvironment(env);
    program_.start(QString::fromStdString(install_ + "/bin/zorvalis"),
                   {"--nosplash", "--language", "greek"});
    ASSERT_TRUE(program_.waitForStarted());
  }
  // The sender tool's exit code: kTrue, kFalse, or 2 when no answer came.
  int Send(const QStringList& arguments) {
    QProcess sender;
    sender.setProcessEnvironment(env_);
    sender.start(QString::fromStdString(install_ + "/bin/zorvalis-send"), arguments);
    return sender.waitForFinished(60000) ? sender.exitCode() : -1;
  }
  // Installs and starts the program and waits until its engine exists.
  void StartReady() {
    ASSERT_TRUE(installed_);
    Start(env_);
    ASSERT_TRUE(AnswersWith(kTrue));
  }
  // Waits for an answer to a command that does nothing (TRUE once the
  // engine exists).
  bool AnswersWith(int answer) {
    return QTest::qWaitFor([&] { return Send({"ping"}) == answer; }, 30000);
  }
  // Ends the program as the desktop does (SIGTERM closes the windows, an open
  // box too). Teardown is slow under the sanitizers and a signal after the
  // handler is gone kills the program, so it is repeated only after 20 s.
  void Terminate() {
    for (int i = 0; i < 4 && program_.state() != QProcess::NotRunning; ++i) {
      program_.terminate();
      program_.waitForFinished(20000);
    }
    EXPECT_EQ(program_.exitStatus(), QProcess::NormalExit);
  }
  // The samples of the audio file that are louder than a whisper.
  int LoudSamples() const {
    std::ifstream in(audio_, std::ios::binary);
    int loud = 0;
    for (int16_t sample = 0; in.read(reinterpret_cast<char*>(&sample), sizeof sample);)
      loud += std::abs(sample) > 1000;
    return loud;
  }
  // Whether a tenth of a second of the audio file is louder than a whisper.
  bool SpeechHeard() const { return LoudSamples() > kSampleRate / 10; }

  testing_support::TempDir root_;
  std::string install_ = root_ / "install", config_ = root_ / "config", run_ = root_ / "run",
              work_ = root_ / "work", audio_ = root_ / "audio.raw";
  bool installed_ = false;
  QProcessEnvironment env_ = QProcessEnvironment::systemEnvironment();
  QProcess program_;
};

TEST_F(ProgramEndToEndTest, ResourcesThatDoNotLoadEndTheProgram) {
  ASSERT_TRUE(installed_);
  // No installation registered: the engine reports it from the loading
  // thread, the report stays until closed, then the program ends with 541.
  QProcessEnvironment unregistered = env_;
  unregistered.insert("XDG_CONFIG_HOME", QString::fromStdString(work_));
  Start(unregistered);
  EXPECT_FALSE(program_.waitForFinished(1000));
  Terminate();
  EXPECT_EQ(program_.exitCode(), 541 % 256);  // an exit status keeps 8 bits
  EXPECT_NE(program_.readAllStandardError().indexOf("[Tamrin Engine]"), -1);

  // Shared resources that do not load: FALSE to the remote control, also
  // behind the error box, then code 10.
  fs::remove(install_ + "/config.txt");
  Start(env_);
  ASSERT_TRUE(AnswersWith(kFalse));
  Terminate();
  EXPECT_EQ(program_.exitCode(), 10);
}

TEST_F(ProgramEndToEndTest, SpeaksAGreekSentenceSentByTheRemoteControl) {
#ifndef TM_HAVE_SOUND_OUTPUT
  GTEST_SKIP() << "the engine has no sound-card output in this build";
#endif
  ASSERT_NO_FATAL_FAILURE(StartReady());
  EXPECT_EQ(Send({"play", kSentence}), kTrue);
  EXPECT_TRUE(QTest::qWaitFor([this] { return SpeechHeard(); }, 30000));
  EXPECT_EQ(Send({"paus"}), kTrue);
  EXPECT_EQ(Send({"play"}), kTrue);
  EXPECT_EQ(Send({"stop"}), kTrue);
  Terminate();
  EXPECT_EQ(program_.exitCode(), 0);
  EXPECT_EQ(program_.readAllStandardError().indexOf("threads still running"), -1);
}

TEST_F(ProgramEndToEndTest, AnswersAtOnceWhileSpeechRunsOrABoxIsOpen) {
#ifndef TM_HAVE_SOUND_OUTPUT
  GTEST_SKIP() << "the engine has no sound-card output in this build";
#endif
  ASSERT_NO_FATAL_FAILURE(StartReady());
  // Half a minute of speech; the commands during it must not wait for its
  // end (the sender's limit is generous for a slow machine).
  const QString longSpeech = QStringList(6, kSentence).join(' ');
  const QStringList limit = {"--timeout", "5"};
  EXPECT_EQ(Send(limit + QStringList{"play", longSpeech}), kTrue);
  ASSERT_TRUE(QTest::qWaitFor([this] { return SpeechHeard(); }, 30000));
  EXPECT_EQ(Send(limit + QStringList{"play", kSentence}), kTrue);
  EXPECT_EQ(Send(limit + QStringList{"stop"}), kTrue);
  // Both end: what was on its way to the sound card at the stop plays out,
  // well under a second of it, and no sound comes back; the second speech
  // alone is several seconds.
  const int atStop = LoudSamples();
  int heard = atStop;
  // Quiet for two seconds on end (a minute at the most).
  for (int quiet = 0, wait = 0; quiet < 10 && wait < 300; ++wait, heard = LoudSamples()) {
    QTest::qWait(200);
    quiet = LoudSamples() == heard ? quiet + 1 : 0;
  }
  QTest::qWait(3000);
  EXPECT_EQ(LoudSamples(), heard);
  EXPECT_LT(heard - atStop, kSampleRate);

  // The default voice changes no volume: the box that says so holds up
  // neither this command nor the next.
  EXPECT_EQ(Send(limit + QStringList{"v:05"}), kTrue);
  EXPECT_EQ(Send(limit + QStringList{"p:10"}), kTrue);
  Terminate();
  EXPECT_EQ(program_.exitCode(), 0);
  const QByteArray errors = program_.readAllStandardError();
  EXPECT_EQ(errors.indexOf("threads still running"), -1) << errors.toStdString();
  EXPECT_EQ(errors.indexOf("QObject"), -1) << errors.toStdString();
}

}  // namespace
