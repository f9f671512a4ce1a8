// The programming interface's own work: handles, codes and last-error
// texts, UTF-8 at the boundary, and the file that TextToFile writes.
#include "engine/interface/tmengine.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
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
       "Error creating " + missing + " output file. No such file or directory."},
      {[&] { return tmengine_TextToFile(h, "x", "/dev/full"); }, TMENGINE_SHORT_WRITE,
       "Error writting full data in /dev/full output file."},
      // The request to a file switched the player output off.
      {[&] { return tmengine__SetVolumeReference(h, 1.0); }, TMENGINE_NO_PLAYER_OUTPUT,
       "VolumeReference error: the selected voice font cannot change the volume."},
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

// What work answers when run in a child process after prepare (which may
// lower the child's limits or change its user).
std::string InChild(const std::function<void()>& prepare,
                    const std::function<std::string()>& work) {
  int channel[2];
  if (::pipe(channel) != 0) return "(no pipe)";
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(channel[0]);
    prepare();
    const std::string answer = work();
    const bool sent =
        ::write(channel[1], answer.data(), answer.size()) == static_cast<ssize_t>(answer.size());
    ::_exit(sent ? 0 : 1);
  }
  ::close(channel[1]);
  std::string answer;
  char buffer[256];
  for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;) answer.append(buffer, n);
  ::close(channel[0]);
  ::waitpid(child, nullptr, 0);
  return answer;
}

// The result of the request in a child process whose files may grow to
// limit bytes at most (a full disk seen from the writer).
int WithFileSizeLimit(rlim_t limit, const std::function<int()>& request) {
  const std::string answer = InChild(
      [limit] {
        const rlimit rl{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &rl);
        std::signal(SIGXFSZ, SIG_IGN);  // a write beyond the limit fails instead
      },
      [&] { return std::to_string(request()); });
  return answer.empty() ? 1 : std::stoi(answer);
}

// The user and group of nobody, whom a test run as the superuser becomes in a child to
// meet the files and folders of other users.
constexpr uid_t kNobody = 65534;
// Another user, who owns files that neither the test nor nobody owns.
constexpr uid_t kOtherUser = 4321;

// A folder in the shared temporary folder, which every user may reach,
// with the permissions mode (the sticky bit included).
class SharedFolder {
 public:
  explicit SharedFolder(mode_t mode) {
    std::string pattern = "/tmp/tmshared-XXXXXX";
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    ::chmod(path_.c_str(), mode);
  }
  ~SharedFolder() { std::filesystem::remove_all(path_); }
  SharedFolder(const SharedFolder&) = delete;
  SharedFolder& operator=(const SharedFolder&) = delete;
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// What work answers when run by nobody (in a child process) in folder,
// where the engine's error report goes.
std::string AsNobody(const SharedFolder& folder, const std::function<std::string()>& work) {
  return InChild(
      [&] {
        if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0 || ::chdir(folder.path().c_str()) != 0)
          ::_exit(1);
      },
      work);
}

// The names in dir, sorted.
std::vector<std::string> Listing(const std::string& dir) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// The engine with a probe that makes a thousand samples of each text, and
// the WAVE image of one such text.
class TmEngineFileTest : public TmEngineTest {
 protected:
  TmEngineFileTest() {
    EXPECT_EQ(tmengine__New(&handle_), 0);
    probe_ = new HookModule("Test_Probe");
    probe_->onRun = [this] {
      const std::vector<int16_t> samples(1000, 1234);
      probe_->PeekComposer()->GetSpeechBuffer()->Append(samples.data(), samples.size());
      return onRun_ ? onRun_() : true;
    };
    EXPECT_TRUE(handle_->RegisterModule(probe_));
    char* block = nullptr;
    long size = 0;
    EXPECT_EQ(tmengine__TextToBuffer(handle_, "x", 1, &block, &size), 0);
    image_.assign(block, static_cast<size_t>(size));
    tmengine__FreeBuffer(&block);
    std::filesystem::create_directory(dir_);
  }

  // A request for target: its code, the runs of the synthesis it made and
  // the last error, one per line.
  std::string Request(const std::string& target) {
    const int runs = probe_->runs;
    const int r = tmengine_TextToFile(handle_, "x", target.c_str());
    return std::to_string(r) + "\n" + std::to_string(probe_->runs - runs) + "\n" + LastError();
  }

  // The last error that a request for target answering code leaves, with
  // the system's reason for a refusal.
  static std::string ErrorText(int code, const std::string& target, const std::string& reason) {
    if (code == TMENGINE_FILE_NOT_CREATED) {
      return "Error creating " + target + " output file. " + reason;
    }
    if (code == TMENGINE_SHORT_WRITE)
      return "Error writting full data in " + target + " output file.";
    return "";
  }
  // What Request answers.
  static std::string Answer(int code, int runs, const std::string& target,
                            const std::string& reason = "") {
    return std::to_string(code) + "\n" + std::to_string(runs) + "\n" +
           ErrorText(code, target, reason);
  }

  HookModule* probe_ = nullptr;
  std::function<bool()> onRun_;  // what the probe does after its samples
  std::string image_;
  const std::string dir_ = install_.workDir() + "/out";
  const std::string earlier_ = "the earlier file";
};

TEST_F(TmEngineFileTest, TheOutputFileIsReplacedOnlyByACompleteWave) {
  namespace fs = std::filesystem;
  const std::string kept = dir_ + "/kept.wav";
  // A new file whose name is nearly as long as a name may be.
  const std::string freshName = std::string(240, 'n') + ".wav", fresh = dir_ + "/" + freshName;
  const std::string fifo = dir_ + "/pipe", heard = install_.workDir() + "/heard.wav";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  fs::create_symlink("kept.wav", dir_ + "/link.wav");
  enum Kind { kPlain, kReadOnly, kFileSizeLimit, kWaveLimit, kPipe };
  const struct {
    const char* name;
    std::string target;
    Kind kind;
    int code;
    std::string holds;  // what the file then holds (for a pipe: what its reader got)
    int runs;           // synthesis runs
    std::string report;
    std::string reason = "";  // the system's reason after a refusal
  } rows[] = {
      {"a new file with a long name", fresh, kPlain, 0, image_, 1, ""},
      {"an earlier file, replaced keeping its permissions", kept, kPlain, 0, image_, 1, ""},
      {"a link, whose file is replaced", dir_ + "/link.wav", kPlain, 0, image_, 1, ""},
      {"a file that may not be written, kept", kept, kReadOnly, TMENGINE_FILE_NOT_CREATED, earlier_,
       0, ""},
      {"a missing folder, refused before synthesis", dir_ + "/none/x.wav", kPlain,
       TMENGINE_FILE_NOT_CREATED, "", 0, "", "No such file or directory."},
      {"an empty name, refused before synthesis", "", kPlain, TMENGINE_FILE_NOT_CREATED, "", 0, "",
       "No such file or directory."},
      {"a name longer than the folder takes, refused before synthesis",
       dir_ + "/" + std::string(252, 'l') + ".wav", kPlain, TMENGINE_FILE_NOT_CREATED, "", 0, "",
       "File name too long."},
      {"a folder, refused before synthesis", install_.workDir(), kPlain, TMENGINE_FILE_NOT_CREATED,
       "", 0, "", "Is a directory."},
      {"a file-size limit (a full disk)", kept, kFileSizeLimit, TMENGINE_SHORT_WRITE, earlier_, 0,
       ""},
      {"a full device, written directly", "/dev/full", kPlain, TMENGINE_SHORT_WRITE, "", 1, ""},
      {"a pipe, written directly", fifo, kPipe, 0, image_, 1, ""},
      {"the WAVE size limit", kept, kWaveLimit, TMENGINE_SHORT_WRITE, earlier_, 1,
       "The speech passes the WAVE size limit of 999 samples (4 GiB): the rest is cut"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    fs::remove(kept);
    testing_support::WriteFile(kept, earlier_);
    if (row.kind == kReadOnly && ::geteuid() == 0) continue;  // the superuser writes anything
    ::chmod(kept.c_str(), row.kind == kReadOnly ? 0440 : 0640);
    fs::remove(fresh);
    boxes_.clear();
    const int runs = probe_->runs;
    handle_->GetSpeechBuffer()->SetMaxSamples(row.kind == kWaveLimit ? 999
                                                                     : VSpeechBuffer::kMaxCapacity);
    std::FILE* reader = nullptr;
    if (row.kind == kPipe) reader = ::popen(("timeout 10 cat " + fifo + " >" + heard).c_str(), "r");
    const auto request = [&] { return tmengine_TextToFile(handle_, "x", row.target.c_str()); };
    const int r = row.kind == kFileSizeLimit ? WithFileSizeLimit(1024, request) : request();
    EXPECT_EQ(r, row.code);
    if (row.kind != kFileSizeLimit) {
      EXPECT_EQ(probe_->runs - runs, row.runs);
      EXPECT_EQ(LastError(), ErrorText(row.code, row.target, row.reason));
    }
    if (reader != nullptr) ::pclose(reader);
    if (row.kind == kPipe) {
      EXPECT_EQ(fs::status(fifo).type(), fs::file_type::fifo);
      EXPECT_EQ(testing_support::ReadFile(heard), row.holds);
    } else if (row.target.rfind(dir_, 0) == 0) {
      EXPECT_EQ(testing_support::FileExists(row.target), !row.holds.empty());
      if (!row.holds.empty()) {
        EXPECT_EQ(testing_support::ReadFile(row.target), row.holds);
      }
    }
    EXPECT_EQ(fs::status(kept).permissions(), fs::perms(row.kind == kReadOnly ? 0440 : 0640));
    EXPECT_TRUE(fs::is_symlink(dir_ + "/link.wav"));
    // Nothing is left behind but the files themselves.
    std::vector<std::string> expected{"kept.wav", "link.wav", "pipe"};
    if (row.target == fresh && row.code == 0) expected.push_back(freshName);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Listing(dir_), expected);
    EXPECT_EQ(boxes_.reports(),
              row.report.empty() ? std::vector<std::string>{}
                                 : std::vector<std::string>{"VSpeechBuffer::Append(__int16 sample)"
                                                            "\n\t" +
                                                            row.report});
  }
}

// Where a rename would lose the target's other names, owner or attributes,
// or would replace a dangling link, the finished speech is copied into the
// file the target names.
TEST_F(TmEngineFileTest, AFileThatARenameWouldChangeGetsTheSpeechCopiedIntoIt) {
  namespace fs = std::filesystem;
  const std::string kept = dir_ + "/kept.wav", other = dir_ + "/other.wav";
  const std::string dangling = dir_ + "/dangling.wav", made = dir_ + "/made.wav";
  enum Kind { kHardLink, kOtherOwner, kAttribute, kDanglingLink };
  const struct {
    const char* name;
    Kind kind;
    bool waveLimit;  // the speech fails
  } rows[] = {
      {"a file with a second name: both names get the speech", kHardLink, false},
      {"a file with a second name and a failed request: both keep the earlier file", kHardLink,
       true},
      {"another user's file keeps its owner", kOtherOwner, false},
      {"a file keeps its extended attributes", kAttribute, false},
      {"a dangling link gets the file it names, and stays a link", kDanglingLink, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    for (const auto& name : Listing(dir_)) fs::remove(dir_ + "/" + name);
    testing_support::WriteFile(kept, earlier_);
    ::chmod(kept.c_str(), 0604);
    std::vector<std::string> names{"kept.wav"};
    std::string target = kept;
    if (row.kind == kHardLink) {
      fs::create_hard_link(kept, other);
      names.push_back("other.wav");
    } else if (row.kind == kOtherOwner) {
      if (::geteuid() != 0) continue;  // only the superuser gives a file away
      ASSERT_EQ(::chown(kept.c_str(), kOtherUser, kOtherUser), 0);
    } else if (row.kind == kAttribute) {
      if (::setxattr(kept.c_str(), "user.note", "kept", 4, 0) != 0) continue;  // not on this disk
    } else {
      fs::create_symlink("made.wav", dangling);
      target = dangling;
      names = {"dangling.wav", "kept.wav", "made.wav"};
    }
    struct stat before;
    ASSERT_EQ(::stat(kept.c_str(), &before), 0);
    handle_->GetSpeechBuffer()->SetMaxSamples(row.waveLimit ? 999 : VSpeechBuffer::kMaxCapacity);
    const std::string holds = row.waveLimit ? earlier_ : image_;
    EXPECT_EQ(Request(target), Answer(row.waveLimit ? TMENGINE_SHORT_WRITE : 0, 1, target));
    EXPECT_EQ(Listing(dir_), names);
    struct stat after;
    ASSERT_EQ(::stat(kept.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_mode, before.st_mode);
    if (row.kind == kDanglingLink) {
      EXPECT_TRUE(fs::is_symlink(dangling));
      EXPECT_EQ(testing_support::ReadFile(made), holds);
      continue;
    }
    EXPECT_EQ(testing_support::ReadFile(kept), holds);
    if (row.kind == kHardLink) {
      EXPECT_EQ(testing_support::ReadFile(other), holds);
    }
    if (row.kind == kAttribute) {
      char value[8] = {};
      EXPECT_EQ(::getxattr(kept.c_str(), "user.note", value, sizeof value), 4);
      EXPECT_STREQ(value, "kept");
    }
  }
}

// Files and folders of other users, met by nobody.
TEST_F(TmEngineFileTest, AnotherUsersFilesAreWrittenInPlaceOrRefusedWithTheReason) {
  if (::geteuid() != 0) GTEST_SKIP() << "only the superuser can become nobody";
  const struct {
    const char* name;
    mode_t folderMode;
    uid_t owner;      // of the earlier file
    mode_t fileMode;  // of the earlier file (0: no earlier file)
    bool waveLimit;   // the speech fails
    int code;
    int runs;
    const char* reason;  // of a refusal
  } rows[] = {
      {"a shared file of another user in a sticky folder", 01777, kOtherUser, 0666, false, 0, 1,
       ""},
      {"a file of ours in a folder that may not be written", 0755, kNobody, 0644, false, 0, 1, ""},
      {"a file of ours in a folder that may not be written, and a failed request", 0755, kNobody,
       0644, true, TMENGINE_SHORT_WRITE, 1, ""},
      {"a file that may not be written", 0755, 0, 0644, false, TMENGINE_FILE_NOT_CREATED, 0,
       "Permission denied."},
      {"a new file in a folder that may not be written", 0755, kNobody, 0, false,
       TMENGINE_FILE_NOT_CREATED, 0, "Permission denied."},
      {"a new file in a sticky folder", 01777, kNobody, 0, false, 0, 1, ""},
  };
  const SharedFolder work(01777);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    SharedFolder folder(row.folderMode);
    const std::string target = folder / "kept.wav";
    if (row.fileMode != 0) {
      testing_support::WriteFile(target, earlier_);
      ASSERT_EQ(::chown(target.c_str(), row.owner, row.owner), 0);
      ASSERT_EQ(::chmod(target.c_str(), row.fileMode), 0);
    }
    handle_->GetSpeechBuffer()->SetMaxSamples(row.waveLimit ? 999 : VSpeechBuffer::kMaxCapacity);
    EXPECT_EQ(AsNobody(work, [&] { return Request(target); }),
              Answer(row.code, row.runs, target, row.reason));
    const bool exists = row.fileMode != 0 || row.code == 0;
    EXPECT_EQ(Listing(folder.path()),
              exists ? std::vector<std::string>{"kept.wav"} : std::vector<std::string>{});
    if (!exists) continue;
    EXPECT_EQ(testing_support::ReadFile(target), row.code == 0 ? image_ : earlier_);
    struct stat st;
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, row.owner);
    if (row.fileMode != 0) {
      EXPECT_EQ(st.st_mode & 07777, row.fileMode);
    }
  }
}

// A writer killed while the speech is on its way leaves nothing but the
// earlier file.
TEST_F(TmEngineFileTest, AWriterKilledMidWayLeavesOnlyTheEarlierFile) {
  namespace fs = std::filesystem;
  const std::string kept = dir_ + "/kept.wav";
  const struct {
    int number;
    bool secondName;  // the target has another name: the speech is copied into it
  } rows[] = {
      {SIGKILL, false}, {SIGTERM, false}, {SIGINT, false}, {SIGXFSZ, false}, {SIGKILL, true}};
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.number << (row.secondName ? " copied" : " renamed"));
    for (const auto& name : Listing(dir_)) fs::remove(dir_ + "/" + name);
    testing_support::WriteFile(kept, earlier_);
    if (row.secondName) fs::create_hard_link(kept, dir_ + "/other.wav");
    const std::vector<std::string> names = Listing(dir_);
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
      // A signal that dumps core (SIGXFSZ, past a file-size limit) leaves no
      // core file in the folder.
      const rlimit noCore = {0, 0};
      ::setrlimit(RLIMIT_CORE, &noCore);
      // The speech has begun: the writer says so and waits to be killed.
      onRun_ = [&] {
        if (::write(ready[1], "r", 1) != 1) ::_exit(1);
        for (;;) ::pause();
        return true;
      };
      tmengine_TextToFile(handle_, "x", kept.c_str());
      ::_exit(2);
    }
    ::close(ready[1]);
    char byte = 0;
    EXPECT_EQ(::read(ready[0], &byte, 1), 1);
    ::close(ready[0]);
    // The writer holds its output file open in the folder.
    bool writing = false;
    for (const auto& entry : fs::directory_iterator("/proc/" + std::to_string(child) + "/fd")) {
      std::error_code ec;
      writing = writing || fs::read_symlink(entry.path(), ec).string().rfind(dir_ + "/", 0) == 0;
    }
    EXPECT_TRUE(writing);
    ASSERT_EQ(::kill(child, row.number), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == row.number) << status;
    EXPECT_EQ(Listing(dir_), names);
    EXPECT_EQ(testing_support::ReadFile(kept), earlier_);
  }
}

}  // namespace
