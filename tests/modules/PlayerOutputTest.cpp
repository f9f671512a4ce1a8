// VM_SpeechOut_Mbr and VM_SaveWave against a scripted player library.
#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "engine/composer/VControl.h"
#include "modules/vm_genpho.h"
#include "modules/vm_savewavembr.h"
#include "modules/vm_speechout_mbr.h"
#include "tests/common/ComposerBed.h"

namespace {

using Calls = std::vector<std::string>;

// The scripted player: every call in order, and whether a text handed to a
// play changed before the play ended.
struct Script {
  static inline Calls calls;
  static inline const char* playing = nullptr;
  static inline std::string played;
  static inline int rewritten = 0;
  static inline int error = 0;

  static int Note(const std::string& call) {
    calls.push_back(call);
    return 0;
  }
  static MbrPlayApi Api() {
    MbrPlayApi api;
    api.MBR_SetDatabase = [](const char* path) { return Note(std::string("database ") + path); };
    api.MBR_SetCallbackMsgBase = [](int base) { return Note("base " + std::to_string(base)); };
    api.MBR_Play = [](const char* text, uint32_t flags, const char* file, MBR_Callback) {
      playing = text;
      played = text;
      return Note("play " + std::to_string(flags) +
                  (file != nullptr ? std::string(" ") + file : ""));
    };
    api.MBR_WaitForEnd = [] {
      if (playing != nullptr && played != playing) ++rewritten;
      playing = nullptr;
      return Note("wait");
    };
    api.MBR_Stop = [] { return Note("stop"); };
    api.MBR_SetVolumeRatio = [](float ratio) { return Note("volume " + std::to_string(ratio)); };
    api.MBR_LastError = [](char* buffer, int size) {
      if (buffer != nullptr) std::snprintf(buffer, static_cast<std::size_t>(size), "bad phone");
      return error;
    };
    return api;
  }
};

class PlayerOutputTest : public testing_support::ComposerBed {
 protected:
  PlayerOutputTest() : out_(Script::Api()), save_(Script::Api()) {
    Script::calls.clear();
    Script::error = 0;
    VControl::SetAbort(false);
    out_.SetComposer(&bed_->composer);
    save_.SetComposer(&bed_->composer);
    EXPECT_TRUE(bed_->composer.directory.AddModule(&generator_));
    generator_.SetUp();
  }
  void Keys(const std::string& keys) {
    UseFont(std::string(testing_support::kBedFont) +
            "VM_SpeechOut_Mbr.Database=voices/p.voice\nVM_SaveWave.Database=voices/s.voice\n" +
            keys);
    ASSERT_TRUE(out_.SetUp());
    ASSERT_TRUE(save_.SetUp());
    Script::calls.clear();
  }

  void Generate(const std::string& phones) {
    bed_->Build(phones);
    ASSERT_TRUE(generator_.Run());
  }

  VM_GeneratorPHO generator_;
  VM_SpeechOut_Mbr out_;
  VM_SaveWave save_;
};

TEST_F(PlayerOutputTest, ThePlayFlagsFollowTheExactlyYesKeys) {
  const struct {
    const char* keys;
    uint32_t flags;
  } rows[] = {
      {"", 0x10000},
      {"VM_SpeechOut_Mbr.OutputToBoard=yes\n", 0},
      {"VM_SpeechOut_Mbr.OutputToBoard=Yes\n", 0x10000},
      {"VM_SpeechOut_Mbr.OutputToBoard=yes \n", 0x10000},
      {"VM_SpeechOut_Mbr.OutputToBoard=yes\nVM_SpeechOut_Mbr.Synchronous=yes\n", 0x40},
      {"VM_SpeechOut_Mbr.OutputToFile=yes\nVM_SpeechOut_Mbr.Callback1=yes\n", 0x891},
      {"VM_SpeechOut_Mbr.OutputToBoard=yes\nVM_SpeechOut_Mbr.Callback2=yes\n", 0x0A},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.keys);
    Keys(row.keys);
    EXPECT_EQ(out_.PlayFlags(), row.flags);
  }
}

TEST_F(PlayerOutputTest, SetUpSetsTheDatabaseAndClearsAPauseAndAnAbortPlaysNothing) {
  bed_->composer.control.SetPaused(true);
  UseFont(std::string(testing_support::kBedFont) + "VM_SpeechOut_Mbr.Database=voices/p.voice\n");
  Script::error = -2;
  ASSERT_TRUE(out_.SetUp());
  EXPECT_FALSE(bed_->composer.control.IsPaused());
  EXPECT_EQ(Script::calls, (Calls{"database " + inst_.path("voices/p.voice"), "base 9191"}));
  EXPECT_EQ(inst_.Logged(), 1);  // the library's error
  Script::error = 0;
  Script::calls.clear();
  VControl::SetAbort(true);
  EXPECT_TRUE(out_.Run());
  VControl::SetAbort(false);
  EXPECT_EQ(out_.Play(nullptr), 0);  // resume only marks the play
  EXPECT_EQ(out_.SetVolume(0.5f), 0);
  EXPECT_EQ(Script::calls, (Calls{"wait", "volume 0.500000"}));
  EXPECT_TRUE(bed_->composer.control.IsPlaying());
  EXPECT_EQ(inst_.Logged(), 1);
}

TEST_F(PlayerOutputTest, EachPassPlaysATextThatStaysUnchangedUntilItsPlayEnded) {
  Keys("VM_SpeechOut_Mbr.OutputToBoard=yes\n");
  Generate("kala");
  ASSERT_TRUE(out_.Run());
  const std::string first = Script::played;
  Generate("mEra");  // the next pass rebuilds the generator's text
  ASSERT_TRUE(out_.Run());
  EXPECT_TRUE(out_.ReleaseResources());
  EXPECT_EQ(Script::calls, (Calls{"wait", "play 0", "wait", "play 0", "stop", "wait"}));
  EXPECT_EQ(Script::rewritten, 0);
  EXPECT_NE(Script::played, first);
  EXPECT_TRUE(bed_->composer.control.IsPlaying());
}

TEST_F(PlayerOutputTest, ASaveWaitsSetsTheDatabaseAgainAndWritesOnlyANamedFile) {
  Keys("");
  Generate("kala");
  VControl::SetAbort(true);  // a save ignores it
  EXPECT_TRUE(save_.Run());
  save_.SetFileName("out.wav");
  EXPECT_TRUE(save_.Run());
  VControl::SetAbort(false);
  const std::string database = "database " + inst_.path("voices/s.voice");
  EXPECT_EQ(Script::calls, (Calls{"wait", database, "wait", database, "play 2112 out.wav"}));
}

}  // namespace
