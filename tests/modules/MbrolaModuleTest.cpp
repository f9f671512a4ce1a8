// The output modules of the phone text: in-process synthesis against a
// scripted library, then bin/mbrola.so itself; VM_SpeechOut_Mbr and
// VM_SaveWave against a scripted player library.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "engine/composer/VControl.h"
#include "modules/vm_genpho.h"
#include "modules/vm_mbrola.h"
#include "modules/vm_savewavembr.h"
#include "modules/vm_speechout_mbr.h"
#include "tests/common/ComposerBed.h"
#include "tests/platform/SynthTestSupport.h"

namespace {

// The calls to the scripted libraries, in order.
using Calls = std::vector<std::string>;
Calls g_calls;

int Note(const std::string& call, int result = 0) {
  g_calls.push_back(call);
  return result;
}

// The synthesis library, driven by the test: "init <path>", "noerror 1", "write
// <text>" or "refused <text>", "read <count>", "flush", "lasterror"; any other
// entry point: "unexpected".
struct Script {
  std::function<int(const std::string& text)> onWrite;  // default: taken
  std::function<void()> onFlush;
  std::deque<int16_t> ready;
  int initResult = 0, pendingError = 0;
  void MakeReady(int count) {
    for (int i = 0; i < count; ++i) ready.push_back(static_cast<int16_t>(i));
  }
};
Script* g_script = nullptr;

MbrolaApi ScriptedApi() {
  MbrolaApi api;
  static Script*& s = g_script;
#define TM_UNEXPECTED(name, type, ...) \
  api.name = [](__VA_ARGS__) -> type { return Note("unexpected"), type(); };
  TM_MBR_ENTRY_POINTS(TM_UNEXPECTED)
#undef TM_UNEXPECTED
  api.init_MBR = [](char* path) { return Note(std::string("init ") + path, s->initResult); };
  api.write_MBR = [](char* text) {
    const std::string t = text;
    const int r = t == "\n" || !s->onWrite ? 1 : s->onWrite(t);
    return Note((r > 0 ? "write " : "refused ") + t, r);
  };
  api.flush_MBR = [] { return s->onFlush ? s->onFlush() : void(), Note("flush", 1); };
  api.read_MBR = [](short* buffer, int wanted) {
    int n = 0;
    for (; n < wanted && !s->ready.empty(); ++n, s->ready.pop_front()) buffer[n] = s->ready.front();
    return Note("read " + std::to_string(n), n);
  };
  api.lastError_MBR = [] { return Note("lasterror", s->pendingError); };
  api.setNoError_MBR = [](int on) { Note("noerror " + std::to_string(on)); };
  return api;
}

// The bed with a generator of the phone text the output modules take.
class OutputBed : public testing_support::ComposerBed {
 protected:
  OutputBed() {
    EXPECT_TRUE(bed_->composer.directory.AddModule(&generator_));
    generator_.SetUp();
  }
  // A new run of the phones and its phone text.
  void Generate(const std::string& phones) {
    bed_->Build(phones);
    EXPECT_TRUE(generator_.Run());
  }
  VM_GeneratorPHO generator_;
};

class MbrolaTest : public OutputBed {
 protected:
  MbrolaTest() {
    g_script = &script_;
    EXPECT_TRUE(bed_->composer.directory.AddModule(&mbrola_));
    g_calls.clear();
  }
  ~MbrolaTest() override { g_script = nullptr; }
  // Synthesises the phones; the calls.
  Calls Speak(const std::string& phones) {
    Generate(phones);
    g_calls.clear();
    EXPECT_TRUE(mbrola_.Run());
    return g_calls;
  }
  // The calls when every line of the last phone text is taken: each line,
  // then an empty last line, each followed by a line feed; then more.
  Calls Offers(std::initializer_list<const char*> more) {
    Calls calls{"init " + inst_.path("voices/test.voice")};
    const std::string pho = generator_.GetPho() + "\n\n";
    for (size_t at = 0, lf; (lf = pho.find('\n', at)) != std::string::npos; at = lf + 1) {
      calls.insert(calls.end(), {"write " + pho.substr(at, lf - at), "write \n"});
    }
    calls.insert(calls.end(), more.begin(), more.end());
    return calls;
  }
  // The line starting with 'a' is refused on its first offer, with n samples ready.
  void RefuseAOnce(int n) {
    script_.onWrite = [this, n, refused = false](const std::string& text) mutable {
      if (text[0] != 'a' || refused) return 1;
      refused = true;
      script_.MakeReady(n);
      return 0;
    };
  }

  Script script_;
  VM_Mbrola mbrola_{ScriptedApi()};
};

TEST_F(MbrolaTest, EveryTakenLineGetsOneLineFeedAndARefusalADrainBeforeTheNextOffer) {
  EXPECT_TRUE(mbrola_.SetUp());
  EXPECT_EQ(g_calls, (Calls{"init " + inst_.path("voices/test.voice"), "noerror 1"}));
  const std::initializer_list<const char*> end = {"read 0", "flush", "read 0", "lasterror"};
  Calls calls = Speak("ma.");
  EXPECT_EQ(calls, Offers(end));
  RefuseAOnce(100);
  calls = Speak("ma.");
  Calls expected = Offers(end);
  expected.insert(expected.begin() + 5, {"refused " + expected[5].substr(6), "read 100", "read 0"});
  EXPECT_EQ(calls, expected);
  EXPECT_EQ(bed_->speech.GetSize(), 100);
  // A refused last line is dropped.
  script_.onWrite = [](const std::string& text) { return text.empty() ? 0 : 1; };
  calls = Speak("ma.");
  expected = Offers({"refused ", "read 0", "flush", "read 0", "lasterror"});
  expected.erase(expected.end() - 7, expected.end() - 5);
  EXPECT_EQ(calls, expected);
  EXPECT_EQ(inst_.Logged(), 0);
  // The library's errors are logged; a voice it does not bind synthesises nothing.
  script_.pendingError = -3;
  Speak("ka.");
  EXPECT_EQ(inst_.Logged(), 1);
  script_.pendingError = 0;
  script_.initResult = -1;
  boxes_.clear();
  EXPECT_EQ(Speak("ma."), (Calls{"init " + inst_.path("voices/test.voice"), "lasterror"}));
  EXPECT_EQ(bed_->speech.GetSize(), 0);
  EXPECT_FALSE(bed_->speech.IsComplete());  // the request fails
  EXPECT_EQ(boxes_.reports(),
            std::vector<std::string>{"MBROLA could not start with the voice file [" +
                                     inst_.path("voices/test.voice") + "]"});
}

TEST_F(MbrolaTest, SamplesAreDrainedInBlocksOf4096) {
  for (const int count : {4095, 4096, 4097, 8193}) {
    script_.onFlush = [this, count] { script_.MakeReady(count); };
    Calls reads;
    for (const std::string& call : Speak("ma.")) {
      if (call.rfind("read ", 0) == 0 && call != "read 0") reads.push_back(call);
    }
    Calls expected(static_cast<size_t>(count / 4096), "read 4096");
    if (count % 4096 != 0) expected.push_back("read " + std::to_string(count % 4096));
    EXPECT_EQ(reads, expected) << count;
    ASSERT_EQ(bed_->speech.GetSize(), count);
    EXPECT_EQ(bed_->speech.GetSamples()[count - 1], static_cast<int16_t>(count - 1));
  }
  // The next pass of a run holds its own samples only.
  EXPECT_TRUE(mbrola_.Run());
  EXPECT_EQ(bed_->speech.GetSize(), 8193);
}

// One flush, one drain and one more offer; then the rest of the text is
// given up with one line in the engine log, and the run goes on.
TEST_F(MbrolaTest, ALibraryThatKeepsRefusingGetsOneFlushAndOneMoreOffer) {
  script_.onWrite = [](const std::string& text) { return text[0] == 'a' ? 0 : 1; };
  script_.onFlush = [this] { script_.MakeReady(700); };
  const Calls calls = Speak("mam.");
  Calls expected = Offers({});
  const std::string a = "refused " + expected[5].substr(6);
  expected.resize(5);
  expected.insert(expected.end(), {a, "read 0", "flush", "read 700", "read 0", a, "read 0", "flush",
                                   "read 700", "read 0", "lasterror"});
  EXPECT_EQ(calls, expected);
  EXPECT_EQ(bed_->speech.GetSize(), 1400);  // the flushes' samples are kept
  EXPECT_EQ(inst_.Logged(), 1);
}

TEST_F(MbrolaTest, AFullSpeechBufferEndsTheSynthesis) {
  // A buffer that keeps the 16 samples of its first block and cannot grow.
  VSpeechBuffer full(16);
  full.SetComposer(&bed_->composer);
  ASSERT_EQ(full.Init(), 1);
  bed_->composer.speech = &full;
  RefuseAOnce(100);
  const Calls calls = Speak("mam.");
  bed_->composer.speech = &bed_->speech;
  EXPECT_EQ(full.GetSize(), 16);
  // The two lines before the refused one, each with its line feed.
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "write \n"), 2);
  EXPECT_EQ(boxes_.reports().size(), 1u);
}

TEST_F(MbrolaTest, ALibraryWithoutOneEntryPointIsRefusedAndTheBuiltOneSynthesises) {
  // The installation's library: missing, then one without the entry points
  // (the player library), each refused at every step; the built one
  // synthesises 60 + 4 x 100 + 60 ms.
  inst_.write("voices/test.voice", testing_support::ReadFile(synth_test::VoicePath()));
  VM_Mbrola module;
  module.SetComposer(&bed_->composer);
  for (const char* library : {"", TM_MBRPLAY_LIBRARY, TM_MBROLA_LIBRARY}) {
    SCOPED_TRACE(library);
    std::filesystem::remove(inst_.path("bin/mbrola.so"));  // the one loaded may stay mapped
    if (*library != '\0') inst_.write("bin/mbrola.so", testing_support::ReadFile(library));
    if (library != std::string(TM_MBROLA_LIBRARY)) {
      EXPECT_FALSE(module.Init() || module.SetUp() || module.Run());
    }
  }
  ASSERT_EQ(boxes_.reports().size(), 5u);  // the missing entry point after the first two refusals
  EXPECT_EQ(boxes_.reports()[2], "MBROLA: Unable to locate dll function");
  ASSERT_TRUE(module.Init());
  ASSERT_TRUE(module.SetUp());
  Generate("kala.");
  ASSERT_TRUE(module.Run());
  EXPECT_NEAR(bed_->speech.GetSize(), 520 * 22.05, 6);  // within a sample each
}

// The scripted player; how often a text handed to a play changed before the play ended.
const char* g_playing = nullptr;
std::string g_played;
int g_rewritten = 0, g_error = 0;

MbrPlayApi PlayerApi() {
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

class PlayerOutputTest : public OutputBed {
 protected:
  PlayerOutputTest() : out_(PlayerApi()), save_(PlayerApi()) {
    g_calls.clear();
    g_rewritten = g_error = 0;
    out_.SetComposer(&bed_->composer);
    save_.SetComposer(&bed_->composer);
  }
  // Sets both modules up with these keys; then a pass of "kala".
  void Keys(const std::string& keys) {
    UseFont("VM_SpeechOut_Mbr.Database=voices/p.voice\nVM_SaveWave.Database=voices/s.voice\n" +
            keys);
    ASSERT_TRUE(out_.SetUp());
    ASSERT_TRUE(save_.SetUp());
    Generate("kala");
  }

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
  Generate("mEra");  // the next pass rebuilds the generator's text
  ASSERT_TRUE(out_.Run());
  VControl::Abort();
  EXPECT_TRUE(out_.Run());   // waits and plays nothing
  EXPECT_TRUE(save_.Run());  // a save ignores the abort: it waits and sets the database again
  save_.SetFileName("out.wav");
  EXPECT_TRUE(save_.Run());
  bed_->composer.control.BeginRun();
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
