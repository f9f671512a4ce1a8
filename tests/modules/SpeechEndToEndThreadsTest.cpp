// Speech through the programming interface to files and SDL's disk driver (what is heard).
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "engine/interface/tmengine.h"
#include "tests/common/Installation.h"
#include "tests/platform/SynthTestSupport.h"

namespace {

using testing_support::Installation;
using testing_support::ReadFile;
using Samples = std::vector<int16_t>;

// The process's threads (a sanitizer's own one starts with the first thread).
int Threads() {
  // A join returns as the thread ends, a moment before the system takes it
  // off the process's list: the count waits until it has gone.
  long helper = 0;
  std::thread([&helper] { helper = ::syscall(SYS_gettid); }).join();
  const std::string task = "/proc/self/task/" + std::to_string(helper);
  EXPECT_TRUE(testing_support::WaitUntil([&] { return ::access(task.c_str(), F_OK) != 0; }));
  int n = 0;
  if (DIR* dir = ::opendir("/proc/self/task")) {
    while (const dirent* entry = ::readdir(dir)) n += entry->d_name[0] != '.';
    ::closedir(dir);
  }
  return n;
}

// The samples from the first to the last that is not zero.
Samples Sound(const std::string& bytes) {
  Samples all(bytes.size() / 2);
  std::copy(bytes.begin(), bytes.begin() + 2 * all.size(), reinterpret_cast<char*>(all.data()));
  const auto first = std::find_if(all.begin(), all.end(), [](int16_t s) { return s != 0; });
  auto last = std::find_if(all.rbegin(), all.rend(), [](int16_t s) { return s != 0; }).base();
  return first < last ? Samples(first, last) : Samples();
}

class SpeechEndToEndThreadsTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    installation_ = new Installation();
    installation_->Assemble();
    // The default chain without rhythm and melody: every phone 100 ms at 120 Hz.
    installation_->Font(
        "flat.vof",
        "VModuleChain.Modules=VM_TextFeeder;VM_FeederPre;VM_UserToGreek;"
        "VM_FilterPlain;VM_Phonemizer;VM_InFilter;VM_GrGrammar;VM_GeneratorPHO;"
        "VM_Mbrola;VM_Playback\nDuration reference=100\nIntonation reference=120\n");
    ASSERT_EQ(tmengine__LoadSharedResources(), 0);
  }
  static void TearDownTestSuite() {
    EXPECT_EQ(tmengine__ReleaseSharedResources(), 0);
    delete installation_;
  }
  SpeechEndToEndThreadsTest() : threads_(Threads()) {
    Heard("first.raw");
    EXPECT_EQ(tmengine__New(&engine_), 0);
  }
  ~SpeechEndToEndThreadsTest() override {
    EXPECT_EQ(tmengine__Delete(&engine_), 0);
    EXPECT_EQ(Threads(), threads_);
  }
  // The file that the next device to open writes.
  void Heard(const std::string& name) {
    file_ = installation_->workDir() + "/" + name;
    ::setenv("SDL_DISKAUDIOFILE", file_.c_str(), 1);
  }
  // Waits (ten seconds at most) until the file holds as many samples as expected.
  Samples WaitFor(const Samples& expected) {
    Samples sound;
    for (const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
         sound.size() < expected.size() && std::chrono::steady_clock::now() < end;) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      sound = Sound(ReadFile(file_));
    }
    return sound;
  }

  testing_support::ScopedEnv driver_{"SDL_AUDIODRIVER", "disk"};
  int threads_;
  static inline Installation* installation_ = nullptr;
  std::string file_;
  Tamrin* engine_ = nullptr;
};

TEST_F(SpeechEndToEndThreadsTest, TheFontsRateAndPitchReachTheWaveFile) {
  constexpr double kRate = 22.05;  // samples per ms
  constexpr int kEdgeMs = 60;      // the silences around every phone text
  ASSERT_EQ(tmengine__SelectVoiceFont(engine_, "flat.vof"), 0);
  // The middle of the three E's is voiced at the font's pitch, then at 1.5 times that.
  for (const double pitch : {1.0, 1.5}) {
    ASSERT_EQ(tmengine__SetPitchReference(engine_, pitch), 0);
    ASSERT_EQ(tmengine_TextToFile(engine_, "καλημέέέρα", "speech.wav"), 0);
    const synth_test::Wave wave = synth_test::ReadWave("speech.wav");
    ASSERT_TRUE(wave.ok);
    EXPECT_EQ(wave.rate, 22050u);
    EXPECT_NEAR(wave.samples.size(), (2 * kEdgeMs + 1000) * kRate, 12.0);
    const std::vector<double> middle =
        synth_test::Slice(wave.samples, static_cast<long>((kEdgeMs + 550) * kRate),
                          static_cast<long>((kEdgeMs + 750) * kRate));
    EXPECT_NEAR(synth_test::EstimateF0(middle), pitch * 120, pitch * 120 * 0.03);
    EXPECT_GT(synth_test::Periodicity(middle), 0.9);
  }
  EXPECT_EQ(installation_->Logged(), 0);
}

TEST_F(SpeechEndToEndThreadsTest, TwoEnginesSavingAtOnceWriteTheFilesTheyWriteAlone) {
  Tamrin* engines[2] = {engine_, nullptr};
  ASSERT_EQ(tmengine__New(&engines[1]), 0);
  const std::string texts[2] = {"καλημέρα σας καλημέρα σας", "καληνύχτα και καλό ξημέρωμα"};
  std::string alone[2];
  for (int e = 0; e < 2; ++e) {
    ASSERT_EQ(tmengine__SetPitchReference(engines[e], 1.0 + 0.4 * e), 0);
    ASSERT_EQ(tmengine_TextToFile(engines[e], texts[e].c_str(), "alone.wav"), 0);
    alone[e] = ReadFile("alone.wav");
  }
  ASSERT_NE(alone[0], alone[1]);
  int wrong[2] = {0, 0};
  const auto save = [&](int e) {
    const std::string file = "together" + std::to_string(e) + ".wav";
    for (int round = 0; round < 12; ++round) {
      wrong[e] += tmengine_TextToFile(engines[e], texts[e].c_str(), file.c_str()) != 0 ||
                  ReadFile(file) != alone[e];
    }
  };
  std::thread other(save, 1);
  save(0);
  other.join();
  EXPECT_EQ(wrong[0] + wrong[1], 0);
  EXPECT_EQ(tmengine__Delete(&engines[1]), 0);
}

TEST_F(SpeechEndToEndThreadsTest, BothMethodsPlayTheSamplesOfSpeechToABuffer) {
  char* block = nullptr;
  long size = 0;
  ASSERT_EQ(tmengine__TextToBuffer(engine_, "καλημέρα", 0, &block, &size), 0);
  const Samples expected = Sound(std::string(block, static_cast<size_t>(size)));
  tmengine__FreeBuffer(&block);
  ASSERT_GT(expected.size(), 10000u);
  ASSERT_EQ(tmengine__TextToSpeech(engine_, "καλημέρα", 1), 0);
  EXPECT_EQ(WaitFor(expected), expected);
  // The player library, then at half the volume (once a play made it the output).
  ASSERT_EQ(tmengine__SelectVoiceFont(engine_, "mbrola.vof"), 0);
  for (const double volume : {1.0, 0.5}) {
    Heard("player" + std::to_string(volume) + ".raw");
    ASSERT_TRUE(volume == 1 || tmengine__SetVolumeReference(engine_, volume) == 0);
    ASSERT_EQ(tmengine__TextToSpeech(engine_, "καλημέρα", 1), 0);
    const Samples heard = WaitFor(expected);
    ASSERT_EQ(heard.size(), expected.size());
    for (size_t i = 0; i < heard.size(); i += 97) EXPECT_NEAR(heard[i], expected[i] * volume, 2);
  }
}

TEST_F(SpeechEndToEndThreadsTest, AVoiceFileThatCannotStartFailsTheFileWithOneReport) {
  testing_support::MessageRecorder boxes;
  const std::string flat = ReadFile(installation_->path("voicefonts/flat.vof"));
  installation_->write("voices/damaged.voice", "not a voice");
  const char* voices[] = {"damaged", "missing"};
  for (const char* voice : voices) {
    installation_->Font(std::string(voice) + ".vof",
                        flat + "VM_Mbrola.Database=voices/" + voice + ".voice\n");
  }
  Tamrin* engine = nullptr;  // one that knows the new fonts
  ASSERT_EQ(tmengine__New(&engine), 0);
  for (const char* voice : voices) {
    SCOPED_TRACE(voice);
    ASSERT_EQ(tmengine__SelectVoiceFont(engine, (std::string(voice) + ".vof").c_str()), 0);
    testing_support::WriteFile("kept.wav", "the earlier file");
    boxes.clear();
    EXPECT_EQ(tmengine_TextToFile(engine, "καλημέρα", "kept.wav"), TMENGINE_SHORT_WRITE);
    EXPECT_EQ(ReadFile("kept.wav"), "the earlier file");
    EXPECT_EQ(boxes.reports(),
              std::vector<std::string>{"MBROLA could not start with the voice file [" +
                                       installation_->path("voices/") + voice + ".voice]"});
    // Speech to the sound card runs in passes: one report all the same.
    ASSERT_EQ(tmengine__SelectVoiceFont(engine, (std::string(voice) + ".vof").c_str()), 0);
    boxes.clear();
    std::string sentences;
    for (int i = 0; i < 40; ++i) sentences += "Καλημέρα σας, τι κάνετε σήμερα; Πολύ καλά. ";
    EXPECT_EQ(tmengine__TextToSpeech(engine, sentences.c_str(), 1), 0);
    EXPECT_EQ(boxes.reports().size(), 1u);
  }
  EXPECT_EQ(tmengine__Delete(&engine), 0);
}

// Whether the process writes a save's temporary file of at least bytes in
// dir (unnamed, or hidden where the file system lacks unnamed files),
// within ten seconds.
bool TemporaryFileGrows(const std::string& dir, std::uintmax_t bytes) {
  return testing_support::WaitUntil([&] {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", ec)) {
      const std::string name = std::filesystem::read_symlink(entry.path(), ec).string();
      // An unnamed file reads as "dir/#inode (deleted)"; the sound device's
      // file in the same folder is not the save's.
      const bool temporary = name.find(" (deleted)") != std::string::npos ||
                             std::filesystem::path(name).extension() == ".part";
      struct stat st;
      if (!ec && temporary && name.rfind(dir + "/", 0) == 0 &&
          ::stat(entry.path().c_str(), &st) == 0 &&
          static_cast<std::uintmax_t>(st.st_size) >= bytes) {
        return true;
      }
    }
    return false;
  });
}

// A stop cuts a save under way, and drops one that waits behind speech:
// either fails and leaves the earlier file as it was.
TEST_F(SpeechEndToEndThreadsTest, AStopKeepsTheEarlierFileOfASaveThatItCutsOrDrops) {
  std::string text;
  for (int i = 0; i < 400; ++i) text += "Καλημέρα σας. Τι κάνετε σήμερα; ";
  const std::string dir = installation_->workDir();
  const std::string target = dir + "/kept.wav";
  for (const bool behindSpeech : {false, true}) {
    SCOPED_TRACE(behindSpeech ? "behind speech" : "under way");
    testing_support::WriteFile(target, "the earlier file");
    if (behindSpeech) {
      ASSERT_EQ(tmengine__TextToSpeech(engine_, text.c_str(), 0), 0);
    }
    int result = 0;
    std::thread save([&] { result = tmengine_TextToFile(engine_, text.c_str(), target.c_str()); });
    // Under way: samples reach the temporary file. Behind speech: the file
    // is opened before the request waits; the pause lets it begin to wait.
    EXPECT_TRUE(TemporaryFileGrows(dir, behindSpeech ? 0 : 100000));
    if (behindSpeech) std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(tmengine__Stop(engine_), 0);
    save.join();
    EXPECT_EQ(result, TMENGINE_SHORT_WRITE);
    EXPECT_TRUE(ReadFile(target) == "the earlier file");
  }
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    EXPECT_NE(entry.path().extension(), ".part") << entry.path();
  }
}

// Whatever another engine does at once after a stop (a request, which runs
// whole, or a new engine), a save that the stop cut fails and keeps the
// earlier file, and speech that it cut ends. (A save stops only once its
// synthesis is through: a few rounds; the composer's tests repeat the race.)
TEST_F(SpeechEndToEndThreadsTest, NoRequestOrNewEngineOfAnotherEngineTakesAStopBack) {
  std::string text;
  for (int i = 0; i < 400; ++i) text += "Καλημέρα σας. Τι κάνετε σήμερα; ";
  const std::string dir = installation_->workDir();
  const std::string target = dir + "/kept.wav";
  Tamrin* other = nullptr;
  ASSERT_EQ(tmengine__New(&other), 0);
  const auto bufferOfOther = [other] {
    char* block = nullptr;
    long size = 0;
    EXPECT_EQ(tmengine__TextToBuffer(other, "καλημέρα", 0, &block, &size), 0);
    tmengine__FreeBuffer(&block);
    return size;
  };
  const long alone = bufferOfOther();
  ASSERT_GT(alone, 10000);
  const struct {
    const char* follower;
    std::function<void()> follow;
  } rows[] = {{"another engine's request", [&] { EXPECT_EQ(bufferOfOther(), alone); }},
              {"a new engine", [] {
                 Tamrin* engine = nullptr;
                 EXPECT_EQ(tmengine__New(&engine), 0);
                 EXPECT_EQ(tmengine__Delete(&engine), 0);
               }}};
  for (const bool save : {true, false}) {
    for (const auto& row : rows) {
      for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(std::string(save ? "save, " : "speech, ") + row.follower + ", round " +
                     std::to_string(round));
        if (save) {
          testing_support::WriteFile(target, "the earlier file");
          int result = 0;
          std::thread saving(
              [&] { result = tmengine_TextToFile(engine_, text.c_str(), target.c_str()); });
          EXPECT_TRUE(TemporaryFileGrows(dir, 10000));
          EXPECT_EQ(tmengine__Stop(engine_), 0);
          row.follow();
          saving.join();
          EXPECT_EQ(result, TMENGINE_SHORT_WRITE);
          EXPECT_TRUE(ReadFile(target) == "the earlier file");
          continue;
        }
        const std::size_t heard = ReadFile(file_).size();
        ASSERT_EQ(tmengine__TextToSpeech(engine_, text.c_str(), 0), 0);
        EXPECT_TRUE(testing_support::WaitUntil([&] { return ReadFile(file_).size() > heard; }));
        EXPECT_EQ(tmengine__Stop(engine_), 0);
        row.follow();
        // The speech ends: the next request of its engine gets its turn.
        std::atomic<bool> served{false};
        std::thread next([&] {
          EXPECT_EQ(tmengine__SelectVoiceFont(engine_, "default.vof"), 0);
          served = true;
        });
        EXPECT_TRUE(testing_support::WaitUntil([&] { return served.load(); }));
        if (!served) tmengine__Stop(engine_);
        next.join();
      }
    }
  }
  EXPECT_EQ(tmengine__Delete(&other), 0);
}

// A release of the shared resources while engines live (one of them
// speaking) waits for the last engine, in every order of the calls; the
// child ends with the number of the first step that went wrong (the
// sanitizer build ends it on any use of a freed resource).
TEST(SharedReleaseThreadsDeathTest, AReleaseWhileEnginesLiveAndSpeakWaitsForTheLastOne) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        Installation inst;
        inst.Assemble();
        const std::string text = "καλημέρα σας, καλημέρα σας και καλό ξημέρωμα. ";
        std::string longText;
        for (int i = 0; i < 40; ++i) longText += text;
        Tamrin* engines[3] = {};
        char* block = nullptr;
        long size = 0;
        const auto bufferOf = [&](Tamrin* engine) {
          if (tmengine__TextToBuffer(engine, text.c_str(), 1, &block, &size) != 0)
            return std::string();
          std::string copy(block, static_cast<size_t>(size));
          tmengine__FreeBuffer(&block);
          return copy;
        };
        int step = 1;
        const auto check = [&step](bool ok) {
          if (!ok) std::_Exit(step);
          ++step;
        };
        check(tmengine__ReleaseSharedResources() == 0);  // before the load: nothing to wait for
        check(tmengine__LoadSharedResources() == 0);
        check(tmengine__New(&engines[0]) == 0 && tmengine__New(&engines[1]) == 0);
        const std::string alone = bufferOf(engines[1]);
        check(alone.size() > 44);
        check(tmengine__TextToSpeech(engines[0], longText.c_str(), 0) == 0);
        check(tmengine__ReleaseSharedResources() == 0);  // while one speaks
        check(tmengine__New(&engines[2]) == 0);
        check(bufferOf(engines[1]) == alone && bufferOf(engines[2]) == alone);
        check(tmengine__Delete(&engines[0]) == 0);  // stopped while speaking
        check(bufferOf(engines[2]) == alone);
        check(tmengine__Delete(&engines[1]) == 0 && tmengine__Delete(&engines[2]) == 0);
        check(tmengine__ReleaseSharedResources() == 0);  // released: again nothing to wait for
        // No engine is made on released resources.
        check(tmengine__New(&engines[0]) == TMENGINE_FONT_NOT_FOUND && engines[0] == nullptr);
        std::exit(0);
      },
      testing::ExitedWithCode(0), "");
}

// Two minutes of speech on each output; deleting the engine stops it at once.
TEST_F(SpeechEndToEndThreadsTest, DeletingAnEngineThatSpeaksStopsItsPlays) {
  std::string text;
  while (text.size() < 1200) text += "α";
  for (const char* font : {"default.vof", "mbrola.vof"}) {
    SCOPED_TRACE(font);
    ASSERT_EQ(tmengine__SelectVoiceFont(engine_, font), 0);
    ASSERT_EQ(tmengine__TextToSpeech(engine_, text.c_str(), 0), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(tmengine__Delete(&engine_), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    ASSERT_EQ(tmengine__New(&engine_), 0);
  }
}

}  // namespace
