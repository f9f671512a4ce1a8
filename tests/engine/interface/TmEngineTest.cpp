// The programming interface's own work: handles, codes and last-error
// texts, UTF-8 at the boundary, and the file that TextToFile writes.
#include "engine/interface/tmengine.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "engine/base/VStr.h"
#include "platform/Codepage.h"
#include "tests/engine/ComposerSeams.h"

namespace {

using engine_testing::HookModule;

std::string LastError() {
  char* text = nullptr;
  if (tmengine__GetLastError(&text) != 0) return "(failed)";
  std::string copy = text != nullptr ? text : "(null)";
  VStr::Release(&text);  // tmengine__FreeBuffer would empty the text
  return copy;
}

class TmEngineTest : public testing::Test {
 protected:
  TmEngineTest() {
    install_.Complete();
    const int loaded = tmengine__LoadSharedResources();
    EXPECT_TRUE(loaded == 0 || loaded == TMENGINE_ALREADY_LOADED) << loaded;
  }
  ~TmEngineTest() override { tmengine__Delete(&handle_); }

  testing_support::Installation install_;
  testing_support::MessageRecorder boxes_;
  Tamrin* handle_ = nullptr;
};

TEST_F(TmEngineTest, NullArgumentsAndFailuresGiveTheirCodeAndText) {
  std::filesystem::rename(install_.path("voicefonts"), install_.path("elsewhere"));
  handle_ = reinterpret_cast<Tamrin*>(&install_);  // overwritten with null
  EXPECT_EQ(tmengine__New(&handle_), TMENGINE_FONT_NOT_FOUND);
  EXPECT_EQ(handle_, nullptr);
  EXPECT_EQ(LastError(), "Error initializing Tamrin object.");
  std::filesystem::rename(install_.path("elsewhere"), install_.path("voicefonts"));
  ASSERT_EQ(tmengine__New(&handle_), 0);  // a failed New may be retried
  Tamrin* h = handle_;
  Tamrin bare;  // never initialised
  char* block = nullptr;
  long size = 0;
  int count = 0;
  const std::function<int()> nullHandles[] = {
      [] { return tmengine__New(nullptr); },
      [] { return tmengine__Delete(nullptr); },
      [] { return tmengine__TextToSpeech(nullptr, "x", 0); },
      [&] { return tmengine__TextToBuffer(nullptr, "x", 1, &block, &size); },
      [] { return tmengine_TextToFile(nullptr, "x", "out.wav"); },
      [] { return tmengine__Stop(nullptr); },
      [] { return tmengine__SpeakPause(nullptr); },
      [] { return tmengine__SpeakResume(nullptr); },
      [] { return tmengine__SelectVoiceFont(nullptr, "a.vof"); },
      [&] { return tmengine__ListVoiceFonts(nullptr, &block, &count); },
      [&] { return tmengine__GetVoiceFontParameter(nullptr, "a", "k", &block); },
      [] { return tmengine__SetPitchReference(nullptr, 1.0); },
      [] { return tmengine__SetSpeedReference(nullptr, 1.0); },
      [] { return tmengine__SetVolumeReference(nullptr, 1.0); }};
  for (size_t i = 0; i < std::size(nullHandles); ++i) {
    EXPECT_EQ(nullHandles[i](), TMENGINE_NULL_HANDLE) << i;
    EXPECT_EQ(LastError(), "Null Tamrin handler as argument") << i;
  }
  const std::pair<std::function<int()>, const char*> nullArguments[] = {
      {[&] { return tmengine__TextToSpeech(h, nullptr, 1); }, "Text"},
      {[&] { return tmengine__TextToBuffer(h, "x", 1, nullptr, &size); }, "Buffer"},
      {[&] { return tmengine__TextToBuffer(h, "x", 1, &block, nullptr); }, "BufferSize"},
      {[&] { return tmengine_TextToFile(h, "x", nullptr); }, "FileName"},
      {[&] { return tmengine__SelectVoiceFont(h, nullptr); }, "VoiceFont"},
      {[&] { return tmengine__ListVoiceFonts(h, nullptr, &count); }, "ListVoiceFonts"},
      {[&] { return tmengine__ListVoiceFonts(h, &block, nullptr); }, "NumberOfVoiceFonts"},
      {[&] { return tmengine__GetVoiceFontParameter(h, "a", nullptr, &block); }, "ParameterKey"},
      {[&] { return tmengine__GetVoiceFontParameter(h, "a", "k", nullptr); }, "ParameterValue"},
      {[] { return tmengine__GetLastError(nullptr); }, "LastError"}};
  for (const auto& [call, name] : nullArguments) {
    EXPECT_EQ(call(), TMENGINE_NULL_ARGUMENT) << name;
    EXPECT_EQ(LastError(), std::string("Null ") + name + " have been passed as argument.");
  }
  const std::string missing = install_.workDir() + "/no/folder/speech.wav";
  const struct {
    std::function<int()> call;
    int code;
    std::string text;
  } failures[] = {
      {[&] { return tmengine__SetPitchReference(h, 2.5); }, -1200, "PitchReference out of limits."},
      {[&] { return tmengine__SetSpeedReference(h, -1e300); }, -1205,
       "SpeedReference out of limits."},
      {[&] { return tmengine__SetVolumeReference(h, 2.01); }, -1208, "VolumeReference error."},
      {[&] { return tmengine__ListVoiceFonts(&bare, &block, &count); }, TMENGINE_NO_FONTS,
       "Error getting the characters list."},
      {[&] { return tmengine__GetVoiceFontParameter(h, "none.vof", "k", &block); },
       TMENGINE_FONT_NOT_FOUND, "Error writting to file."},
      {[&] { return tmengine_TextToFile(h, "x", missing.c_str()); }, TMENGINE_FILE_NOT_CREATED,
       "Error creating " + missing + " output file."},
      {[&] { return tmengine_TextToFile(h, "x", "/dev/full"); }, TMENGINE_SHORT_WRITE,
       "Error writting full data in /dev/full output file."},
      {[&] { return tmengine__SelectVoiceFont(h, "Κανένα.vof"); }, TMENGINE_FONT_NOT_FOUND,
       "Error setting the VoiceFont [Κανένα.vof]."},
      {[&] { return tmengine__TextToSpeech(h, "x", 1); }, TMENGINE_NO_FONT_SELECTED,
       "Error in soundboard version of TextToSpeech conversion."},
      {[&] { return tmengine__TextToBuffer(h, "x", 1, &block, &size); }, TMENGINE_NO_FONT_SELECTED,
       "Error in buffer version of TextToSpeech conversion."}};
  for (const auto& row : failures) {
    EXPECT_EQ(row.call(), row.code) << row.text;
    EXPECT_EQ(LastError(), row.text);
  }
  EXPECT_EQ(block, nullptr);
}

// The shared resources load once and go once per process, so each order of
// the calls runs in a process of its own. The child ends with 0, or with
// the number of what went wrong.
TEST(TmEngineDeathTest, NewWithoutTheSharedResourcesAnswersAsBeforeTheLoadAndMakesNoEngine) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  enum Step { kLoad, kNew, kDelete, kRelease };
  const struct {
    const char* name;
    std::vector<Step> before;  // the calls before the New that is looked at
    bool engine;               // whether that New makes one
  } rows[] = {
      {"before any load", {}, false},
      {"after the load", {kLoad}, true},
      {"after a release before the load", {kRelease, kLoad}, true},
      {"after the last release", {kLoad, kNew, kDelete, kRelease}, false},
      {"after a release without engines", {kLoad, kRelease}, false},
      {"after a second release", {kLoad, kRelease, kRelease}, false},
      {"while a release waits for a living engine", {kLoad, kNew, kRelease}, true},
      {"after the engine that a release waited for", {kLoad, kNew, kRelease, kDelete}, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EXIT(
        {
          testing_support::Installation inst;
          inst.Complete();
          Tamrin* engine = reinterpret_cast<Tamrin*>(&inst);
          const int unloaded = tmengine__New(&engine);
          if (unloaded != TMENGINE_FONT_NOT_FOUND || engine != nullptr) std::_Exit(1);
          std::vector<Tamrin*> engines;
          for (const Step step : row.before) {
            if (step == kLoad) tmengine__LoadSharedResources();
            if (step == kRelease) tmengine__ReleaseSharedResources();
            if (step == kNew && tmengine__New(&engine) == 0) engines.push_back(engine);
            if (step == kDelete) tmengine__Delete(&engines.back());
          }
          engine = reinterpret_cast<Tamrin*>(&inst);
          const int r = tmengine__New(&engine);
          if (r != (row.engine ? 0 : unloaded)) std::_Exit(2);
          if ((engine != nullptr) != row.engine) std::_Exit(3);
          if (!row.engine && LastError() != "Error initializing Tamrin object.") std::_Exit(4);
          std::exit(tmengine__Delete(&engine));
        },
        testing::ExitedWithCode(0), "");
  }
}

TEST_F(TmEngineTest, TextCrossesAsUtf8AndTheFileHoldsTheWaveImage) {
  ASSERT_EQ(tmengine__New(&handle_), 0);
  auto* probe = new HookModule("Test_Probe");
  probe->onRun = [probe] {
    for (int16_t s : {int16_t{100}, int16_t{-100}, int16_t{7}})
      probe->PeekComposer()->GetSpeechBuffer()->Append(s);
    return true;
  };
  ASSERT_TRUE(handle_->RegisterModule(probe));
  char* value = nullptr;
  EXPECT_EQ(
      tmengine__GetVoiceFontParameter(handle_, "second.vof", "Settings.DisplayNameGr", &value), 0);
  EXPECT_STREQ(value, testing_support::kGreekName);  // the default font's, in UTF-8
  tmengine__FreeBuffer(&value);
  const char* greek = "Καλημέρα κόσμε";
  ASSERT_EQ(tmengine_TextToFile(handle_, greek, "speech.wav"), 0);
  EXPECT_EQ(probe->LastText(), platform::Utf8ToCp1253(greek) + " .");
  char* block = nullptr;
  long size = 0;
  ASSERT_EQ(tmengine__TextToBuffer(handle_, greek, 1, &block, &size), 0);
  ASSERT_EQ(size, 50);
  EXPECT_EQ(testing_support::ReadFile("speech.wav"), std::string(block, 50));
  EXPECT_EQ(std::string(block + 44, 6), std::string("\x64\x00\x9c\xff\x07\x00", 6));
  EXPECT_EQ(tmengine__FreeBuffer(&block), 0);
  EXPECT_EQ(block, nullptr);
  EXPECT_EQ(tmengine__SetPitchReference(handle_, 2.5), -1200);
  EXPECT_EQ(tmengine__FreeBuffer(nullptr), 0);
  EXPECT_EQ(LastError(), "");  // emptied first, as by every function but GetLastError
  EXPECT_EQ(tmengine__Delete(&handle_), 0);
  EXPECT_EQ(handle_, nullptr);
}

// The result of the request in a child process whose files may grow to
// limit bytes at most (a full disk seen from the writer).
int WithFileSizeLimit(rlim_t limit, const std::function<int()>& request) {
  int channel[2];
  if (::pipe(channel) != 0) return 1;
  const pid_t child = ::fork();
  if (child == 0) {
    const rlimit rl{limit, limit};
    ::setrlimit(RLIMIT_FSIZE, &rl);
    std::signal(SIGXFSZ, SIG_IGN);  // a write beyond the limit fails instead
    const int r = request();
    ::_exit(::write(channel[1], &r, sizeof r) == sizeof r ? 0 : 1);
  }
  ::close(channel[1]);
  int r = 1;
  if (::read(channel[0], &r, sizeof r) != sizeof r) r = 1;
  ::close(channel[0]);
  ::waitpid(child, nullptr, 0);
  return r;
}

TEST_F(TmEngineTest, TheOutputFileIsReplacedOnlyByACompleteWave) {
  namespace fs = std::filesystem;
  ASSERT_EQ(tmengine__New(&handle_), 0);
  auto* probe = new HookModule("Test_Probe");
  probe->onRun = [probe] {
    const std::vector<int16_t> samples(1000, 1234);
    probe->PeekComposer()->GetSpeechBuffer()->Append(samples.data(), samples.size());
    return true;
  };
  ASSERT_TRUE(handle_->RegisterModule(probe));
  char* block = nullptr;
  long size = 0;
  ASSERT_EQ(tmengine__TextToBuffer(handle_, "x", 1, &block, &size), 0);
  const std::string image(block, static_cast<size_t>(size));
  tmengine__FreeBuffer(&block);
  const std::string dir = install_.workDir() + "/out";
  fs::create_directory(dir);
  const std::string kept = dir + "/kept.wav", earlier = "the earlier file";
  // A new file whose name is nearly as long as a name may be.
  const std::string freshName = std::string(240, 'n') + ".wav", fresh = dir + "/" + freshName;
  const std::string fifo = dir + "/pipe", heard = install_.workDir() + "/heard.wav";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  fs::create_symlink("kept.wav", dir + "/link.wav");
  enum Kind { kPlain, kReadOnly, kFileSizeLimit, kWaveLimit, kPipe };
  const struct {
    const char* name;
    std::string target;
    Kind kind;
    int code;
    std::string holds;  // what the file then holds (for a pipe: what its reader got)
    int runs;           // synthesis runs
    std::string report;
  } rows[] = {
      {"a new file with a long name", fresh, kPlain, 0, image, 1, ""},
      {"an earlier file, replaced keeping its permissions", kept, kPlain, 0, image, 1, ""},
      {"a link, whose file is replaced", dir + "/link.wav", kPlain, 0, image, 1, ""},
      {"a file that may not be written, kept", kept, kReadOnly, TMENGINE_FILE_NOT_CREATED, earlier,
       0, ""},
      {"a missing folder, refused before synthesis", dir + "/none/x.wav", kPlain,
       TMENGINE_FILE_NOT_CREATED, "", 0, ""},
      {"a file-size limit (a full disk)", kept, kFileSizeLimit, TMENGINE_SHORT_WRITE, earlier, 0,
       ""},
      {"a full device, written directly", "/dev/full", kPlain, TMENGINE_SHORT_WRITE, "", 1, ""},
      {"a pipe, written directly", fifo, kPipe, 0, image, 1, ""},
      {"the WAVE size limit", kept, kWaveLimit, TMENGINE_SHORT_WRITE, earlier, 1,
       "The speech passes the WAVE size limit of 999 samples (4 GiB): the rest is cut"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    fs::remove(kept);
    testing_support::WriteFile(kept, earlier);
    if (row.kind == kReadOnly && ::geteuid() == 0) continue;  // the superuser writes anything
    ::chmod(kept.c_str(), row.kind == kReadOnly ? 0440 : 0640);
    fs::remove(fresh);
    boxes_.clear();
    const int runs = probe->runs;
    handle_->GetSpeechBuffer()->SetMaxSamples(row.kind == kWaveLimit ? 999
                                                                     : VSpeechBuffer::kMaxCapacity);
    std::FILE* reader = nullptr;
    if (row.kind == kPipe) reader = ::popen(("timeout 10 cat " + fifo + " >" + heard).c_str(), "r");
    const auto request = [&] { return tmengine_TextToFile(handle_, "x", row.target.c_str()); };
    const int r = row.kind == kFileSizeLimit ? WithFileSizeLimit(1024, request) : request();
    EXPECT_EQ(r, row.code);
    if (row.kind != kFileSizeLimit) {
      EXPECT_EQ(probe->runs - runs, row.runs);
      EXPECT_EQ(LastError(), row.code == 0 ? ""
                             : row.code == TMENGINE_SHORT_WRITE
                                 ? "Error writting full data in " + row.target + " output file."
                                 : "Error creating " + row.target + " output file.");
    }
    if (reader != nullptr) ::pclose(reader);
    if (row.kind == kPipe) {
      EXPECT_EQ(fs::status(fifo).type(), fs::file_type::fifo);
      EXPECT_EQ(testing_support::ReadFile(heard), row.holds);
    } else if (row.target.rfind(dir, 0) == 0) {
      EXPECT_EQ(testing_support::FileExists(row.target), !row.holds.empty());
      if (!row.holds.empty()) {
        EXPECT_EQ(testing_support::ReadFile(row.target), row.holds);
      }
    }
    EXPECT_EQ(fs::status(kept).permissions(), fs::perms(row.kind == kReadOnly ? 0440 : 0640));
    EXPECT_TRUE(fs::is_symlink(dir + "/link.wav"));
    // Nothing is left behind but the files themselves.
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    std::vector<std::string> expected{"kept.wav", "link.wav", "pipe"};
    if (row.target == fresh && row.code == 0) expected.push_back(freshName);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected);
    EXPECT_EQ(boxes_.reports(),
              row.report.empty() ? std::vector<std::string>{}
                                 : std::vector<std::string>{"VSpeechBuffer::Append(__int16 sample)"
                                                            "\n\t" +
                                                            row.report});
  }
}

}  // namespace
