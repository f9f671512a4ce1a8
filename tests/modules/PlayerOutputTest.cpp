// VM_SpeechOut_Mbr and VM_SaveWave against a scripted player library.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "engine/composer/VControl.h"
#include "modules/vm_genpho.h"
#include "modules/vm_savewavembr.h"
#include "modules/vm_speechout_mbr.h"
#include "tests/common/ComposerBed.h"

namespace {

using Calls = std::vector<std::string>;

// The scripted player: every call in order, and how often a text handed to
// a play changed before the play ended.
Calls g_calls;
const char* g_playing = nullptr;
std::string g_played;
int g_rewritten = 0, g_error = 0;

int Note(const std::string& call) {
  g_calls.push_back(call);
  return 0;
}

MbrPlayApi ScriptedApi() {
  MbrPlayApi api;
  api.MBR_SetDatabase = [](const char* path) { return Note(std::string("database ") + path); };
  api.MBR_SetCallbackMsgBase = [](int base) { return Note("base " + std::to_string(base)); };
  api.MBR_Play = [](const char* text, uint32_t flags, const char* file, MBR_Callback) {
    g_played = g_playing = text;
    return Note("play " + std::to_string(flags) + (file != nullptr ? std::string(" ") + file : ""));
  };
  api.MBR_WaitForEnd = [] {
    g_rewritten += g_playing != nullptr && g_played != g_playing;
    g_playing = nullptr;
    return Note("wait");
  };
  api.MBR_Stop = [] { return Note("stop"); };
  api.MBR_SetVolumeRatio = [](float ratio) { return Note("volume " + std::to_string(ratio)); };
  api.MBR_LastError = [](char*, int) { return g_error; };
  return api;
}

class PlayerOutputTest : public testing_support::ComposerBed {
 protected:
  PlayerOutputTest() : out_(ScriptedApi()), save_(ScriptedApi()) {
    g_calls.clear();
    g_rewritten = g_error = 0;
    out_.SetComposer(&bed_->composer);
    save_.SetComposer(&bed_->composer);
    EXPECT_TRUE(bed_->composer.directory.AddModule(&generator_));
    generator_.SetUp();
  }
  // Sets both modules up with these keys; then a pass of "kala".
  void Keys(const std::string& keys) {
    UseFont("VM_SpeechOut_Mbr.Database=voices/p.voice\nVM_SaveWave.Database=voices/s.voice\n" +
            keys);
    ASSERT_TRUE(out_.SetUp());
    ASSERT_TRUE(save_.SetUp());
    bed_->Build("kala");
    ASSERT_TRUE(generator_.Run());
  }

  VM_GeneratorPHO generator_;
  VM_SpeechOut_Mbr out_;
  VM_SaveWave save_;
};

TEST_F(PlayerOutputTest, ThePlayFlagsFollowTheExactlyYesKeys) {
  const std::string board = "VM_SpeechOut_Mbr.OutputToBoard=";
  for (const auto& [keys, flags] : std::vector<std::pair<std::string, uint32_t>>{
           {"", 0x10000},
           {board + "yes\n", 0},
           {board + "Yes\n", 0x10000},
           {board + "yes\nVM_SpeechOut_Mbr.Synchronous=yes\nVM_SpeechOut_Mbr.Callback2=yes\n",
            0x4A},
           {"VM_SpeechOut_Mbr.OutputToFile=yes\nVM_SpeechOut_Mbr.Callback1=yes\n", 0x891},
       }) {
    SCOPED_TRACE(keys);
    Keys(keys);
    EXPECT_EQ(out_.PlayFlags(), flags);
  }
}

TEST_F(PlayerOutputTest, EachPlayKeepsItsTextUntilItEndedAndASaveWritesOnlyANamedFile) {
  bed_->composer.control.SetPaused(true);
  g_error = -2;  // logged by each set-up
  Keys("VM_SpeechOut_Mbr.OutputToBoard=yes\n");
  EXPECT_FALSE(bed_->composer.control.IsPaused());
  EXPECT_EQ(inst_.Logged(), 2);
  g_error = 0;
  ASSERT_TRUE(out_.Run());
  const std::string first = g_played;
  bed_->Build("mEra");  // the next pass rebuilds the generator's text
  ASSERT_TRUE(generator_.Run());
  ASSERT_TRUE(out_.Run());
  VControl::SetAbort(true);
  EXPECT_TRUE(out_.Run());   // waits and plays nothing
  EXPECT_TRUE(save_.Run());  // a save ignores the abort: it waits and sets the database again
  save_.SetFileName("out.wav");
  EXPECT_TRUE(save_.Run());
  VControl::SetAbort(false);
  EXPECT_EQ(out_.Play(nullptr), 0);  // resume only marks the play
  EXPECT_EQ(out_.SetVolume(0.5f), 0);
  EXPECT_TRUE(out_.ReleaseResources());
  const std::string base = "base 9191", save = "database " + inst_.path("voices/s.voice");
  EXPECT_EQ(g_calls, (Calls{"database " + inst_.path("voices/p.voice"), base, save, base, "wait",
                            "play 0", "wait", "play 0", "wait", "wait", save, "wait", save,
                            "play 2112 out.wav", "volume 0.500000", "stop", "wait"}));
  EXPECT_EQ(g_rewritten, 0);
  EXPECT_NE(g_played, first);
  EXPECT_TRUE(bed_->composer.control.IsPlaying());
}

}  // namespace
