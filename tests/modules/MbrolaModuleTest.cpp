// In-process synthesis against a scripted library: the lines and line feeds
// it is offered, refusals and the drains between them, the blocks of 4096
// samples, the bound on a library that keeps refusing, the library's errors
// in the engine log, and a table without init_MBR. Then the real loading of
// bin/mbrola.so: missing, lacking an entry point, and complete.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/composer/Tamrin.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/modules/SpeechTestBed.h"

namespace {

using speech_testing::ScriptedMbrola;
using speech_testing::SpeechBed;
using speech_testing::SplitLines;

constexpr const char* kNotInitialisedReport =
    "modules/vm_mbrola.cpp\n\t136\n\tError: m_init_MBR not initialized.";

class MbrolaTest : public SpeechBed {
 protected:
  MbrolaTest() : mbrola_(ScriptedMbrola::Api()) {
    EXPECT_TRUE(composer_.directory.AddModule(&mbrola_));
    // Init looked for a pending error.
    EXPECT_EQ(library_.calls, std::vector<std::string>{"lasterror"});
    library_.calls.clear();
  }

  // The generator's text of the phones, then the synthesis.
  bool Speak(const std::string& phones) {
    Generate(phones);
    library_.calls.clear();
    return mbrola_.Run();
  }

  // The calls that offer the lines of the phone text, each taken with its
  // line feed.
  std::vector<std::string> Offers(const std::vector<std::string>& lines) const {
    std::vector<std::string> calls;
    for (const std::string& line : lines) {
      calls.push_back("write " + line);
      calls.push_back("write \n");
    }
    return calls;
  }
  // The lines that the module cuts from the generator's text: the last one
  // is followed by an empty line.
  std::vector<std::string> PhoLines() const {
    std::vector<std::string> lines = SplitLines(generator_.GetPho());
    lines.emplace_back();
    return lines;
  }
  std::string Init() const { return "init " + inst_.path("voices/test.voice"); }

  ScriptedMbrola library_;
  VM_Mbrola mbrola_;
};

TEST_F(MbrolaTest, SetUpBindsTheFontsVoiceAndSwitchesTheNoErrorModeOn) {
  EXPECT_TRUE(mbrola_.SetUp());
  EXPECT_EQ(library_.calls, (std::vector<std::string>{Init(), "noerror 1"}));
  EXPECT_EQ(mbrola_.GetQuantum(), 25);
  EXPECT_TRUE(Reported().empty());
}

TEST_F(MbrolaTest, EveryTakenLineIsFollowedByExactlyOneLineFeed) {
  ASSERT_TRUE(Speak("ma."));
  const std::vector<std::string> lines = PhoLines();
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[3], "_ 60");
  std::vector<std::string> expected{Init()};
  for (const std::string& call : Offers(lines)) expected.push_back(call);
  for (const char* call : {"read 0", "flush", "read 0", "lasterror"}) expected.push_back(call);
  EXPECT_EQ(library_.calls, expected);
  EXPECT_TRUE(LogErrors().empty());
}

TEST_F(MbrolaTest, AnEmptyPhoneTextOffersOneEmptyLine) {
  ASSERT_TRUE(mbrola_.Run());
  EXPECT_EQ(library_.calls, (std::vector<std::string>{Init(), "write ", "write \n", "read 0",
                                                      "flush", "read 0", "lasterror"}));
}

TEST_F(MbrolaTest, ARefusedLineIsOfferedAgainAfterTheDrain) {
  library_.onWrite = [this](const std::string& text, int offers) {
    if (text[0] != 'a' || offers > 1) return 1;
    library_.MakeReady(100);
    return 0;
  };
  ASSERT_TRUE(Speak("mak."));
  const std::vector<std::string> lines = PhoLines();
  ASSERT_EQ(lines[2][0], 'a');
  std::vector<std::string> expected{
      Init(),     "write " + lines[0],   "write \n", "write " + lines[1],
      "write \n", "refused " + lines[2], "read 100", "read 0"};
  for (std::size_t i = 2; i < lines.size(); ++i) {
    expected.push_back("write " + lines[i]);
    expected.push_back("write \n");
  }
  for (const char* call : {"read 0", "flush", "read 0", "lasterror"}) expected.push_back(call);
  EXPECT_EQ(library_.calls, expected);
  EXPECT_EQ(library_.Count("write \n"), static_cast<int>(lines.size()));
  EXPECT_EQ(speech_.GetSize(), 100);
  EXPECT_TRUE(LogErrors().empty());
}

TEST_F(MbrolaTest, ARefusedLastLineIsDroppedWithoutComplaint) {
  library_.onWrite = [](const std::string& text, int) { return text.empty() ? 0 : 1; };
  ASSERT_TRUE(Speak("ma."));
  std::vector<std::string> lines = PhoLines();
  lines.pop_back();
  std::vector<std::string> expected{Init()};
  for (const std::string& call : Offers(lines)) expected.push_back(call);
  for (const char* call : {"refused ", "read 0", "flush", "read 0", "lasterror"}) {
    expected.push_back(call);
  }
  EXPECT_EQ(library_.calls, expected);
  EXPECT_TRUE(LogErrors().empty());
}

TEST_F(MbrolaTest, SamplesAreDrainedInBlocksOf4096IntoTheSpeechBuffer) {
  for (const int count : {1, 4095, 4096, 4097, 8192, 8193, 12288}) {
    SCOPED_TRACE(count);
    library_.onFlush = [this, count] { library_.MakeReady(count); };
    ASSERT_TRUE(Speak("ma."));
    std::vector<std::string> reads;
    bool flushed = false;
    for (const std::string& call : library_.calls) {
      if (call == "flush") flushed = true;
      if (flushed && call.rfind("read ", 0) == 0) reads.push_back(call);
    }
    std::vector<std::string> expected(static_cast<std::size_t>(count / 4096), "read 4096");
    if (count % 4096 != 0) expected.push_back("read " + std::to_string(count % 4096));
    expected.push_back("read 0");
    EXPECT_EQ(reads, expected);
    const std::vector<int16_t> samples = Samples();
    ASSERT_EQ(samples.size(), static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) ASSERT_EQ(samples[static_cast<std::size_t>(i)], i) << i;
  }
}

TEST_F(MbrolaTest, TheSamplesOfEveryDrainFollowOneAnother) {
  library_.onWrite = [this](const std::string& text, int offers) {
    if (text[0] != 'k' || offers > 1) return 1;
    library_.MakeReady(5000);
    return 0;
  };
  library_.onFlush = [this] { library_.MakeReady(3000, 5000); };
  Generate("kak.");
  // Samples of an earlier run do not stay.
  speech_.Append(-1);
  ASSERT_TRUE(mbrola_.Run());
  const std::vector<int16_t> samples = Samples();
  ASSERT_EQ(samples.size(), 8000u);
  for (int i = 0; i < 8000; ++i) ASSERT_EQ(samples[static_cast<std::size_t>(i)], i) << i;
}

// A library that refuses a line while it has nothing to read gets one
// flush, one drain and one more offer of that line; then the rest of the
// text is given up with one line in the engine log, and the run goes on.
TEST_F(MbrolaTest, ALibraryThatKeepsRefusingGetsOneFlushAndOneMoreOffer) {
  library_.onWrite = [](const std::string& text, int) { return text[0] == 'a' ? 0 : 1; };
  ASSERT_TRUE(Speak("mam."));
  const std::vector<std::string> lines = PhoLines();
  ASSERT_EQ(lines.size(), 6u);
  const std::vector<std::string> expected{Init(),     "write " + lines[0],
                                          "write \n", "write " + lines[1],
                                          "write \n", "refused " + lines[2],
                                          "read 0",   "flush",
                                          "read 0",   "refused " + lines[2],
                                          "read 0",   "flush",
                                          "read 0",   "lasterror"};
  EXPECT_EQ(library_.calls, expected);
  EXPECT_EQ(LogErrors(), std::vector<std::string>{"*** ERROR:\tMBROLA write refused"});
}

TEST_F(MbrolaTest, SamplesThatTheFlushGivesAreKeptWhenTheLineIsStillRefused) {
  library_.onWrite = [](const std::string& text, int) { return text[0] == 'a' ? 0 : 1; };
  library_.onFlush = [this] { library_.MakeReady(700); };
  ASSERT_TRUE(Speak("mam."));
  EXPECT_EQ(library_.Count("refused " + PhoLines()[2]), 2);
  EXPECT_EQ(speech_.GetSize(), 1400);  // 700 after each flush
  EXPECT_EQ(LogErrors(), std::vector<std::string>{"*** ERROR:\tMBROLA write refused"});
}

TEST_F(MbrolaTest, ALineTakenAfterTheFlushLetsTheTextGoOn) {
  library_.onWrite = [](const std::string& text, int offers) {
    return text[0] == 'a' && offers == 1 ? 0 : 1;
  };
  ASSERT_TRUE(Speak("mama."));
  const std::vector<std::string> lines = PhoLines();
  // Both 'a' lines are the same text: the second is taken at its first offer.
  EXPECT_EQ(library_.Taken().size(), 2 * lines.size());
  EXPECT_EQ(library_.Count("flush"), 2);
  EXPECT_TRUE(LogErrors().empty());
}

TEST_F(MbrolaTest, AFullSpeechBufferEndsTheSynthesis) {
  // A buffer that keeps the 16 samples of its first block and cannot grow.
  struct FullBuffer : VSpeechBuffer {
    int16_t* AllocateSamples(size_t count) override {
      return GetCapacity() == 0 ? VSpeechBuffer::AllocateSamples(count) : nullptr;
    }
  } full;
  full.SetComposer(&composer_);
  ASSERT_EQ(full.Init(), 1);
  composer_.speech = &full;
  library_.onWrite = [this](const std::string& text, int offers) {
    if (text[0] != 'a' || offers > 1) return 1;
    library_.MakeReady(100);
    return 0;
  };
  ASSERT_TRUE(Speak("mam."));
  EXPECT_EQ(full.GetSize(), 16);
  EXPECT_EQ(library_.Taken().size(), 4u);  // the two lines before the refused one
  EXPECT_EQ(Reported().size(), 1u);
  composer_.speech = &speech_;
}

TEST_F(MbrolaTest, PendingErrorsOfTheLibraryGoToTheEngineLog) {
  library_.pendingError = -3;
  library_.errorText = "unknown phone: \"q\"";
  ASSERT_TRUE(Speak("ka."));
  EXPECT_EQ(library_.calls.back(), "lasterror");
  EXPECT_EQ(LogErrors(), std::vector<std::string>{"*** ERROR:\tMBROLA unknown phone: \"q\""});

  // An error pending when the library is loaded is logged as well.
  VM_Mbrola other(ScriptedMbrola::Api());
  other.SetComposer(&composer_);
  EXPECT_TRUE(other.Init());
  EXPECT_EQ(LogErrors().size(), 2u);
}

TEST_F(MbrolaTest, AVoiceThatCannotBeBoundIsLoggedAndNothingIsSynthesised) {
  library_.onFlush = [this] { library_.MakeReady(10); };
  ASSERT_TRUE(Speak("ma."));
  ASSERT_EQ(speech_.GetSize(), 10);

  library_.initResult = -1;
  library_.pendingError = -1;
  library_.errorText = "database not found: voices/test.voice";
  const std::string logged = "*** ERROR:\tMBROLA database not found: voices/test.voice";
  library_.calls.clear();
  EXPECT_TRUE(mbrola_.SetUp());
  EXPECT_EQ(library_.calls, (std::vector<std::string>{Init(), "lasterror", "noerror 1"}));
  EXPECT_EQ(LogErrors(), std::vector<std::string>{logged});

  Generate("ma.");
  speech_.Append(-1);
  library_.calls.clear();
  ASSERT_TRUE(mbrola_.Run());
  EXPECT_EQ(library_.calls, (std::vector<std::string>{Init(), "lasterror"}));
  EXPECT_EQ(speech_.GetSize(), 0);
  EXPECT_EQ(LogErrors(), (std::vector<std::string>{logged, logged}));
  EXPECT_TRUE(Reported().empty());
}

TEST_F(MbrolaTest, TheElevenOtherEntryPointsAreNeverCalled) {
  library_.onWrite = [](const std::string& text, int offers) {
    return text[0] == 'a' && offers < 3 ? 0 : 1;
  };
  library_.onFlush = [this] { library_.MakeReady(9000); };
  EXPECT_TRUE(mbrola_.SetUp());
  ASSERT_TRUE(Speak("mak,ala."));
  EXPECT_TRUE(mbrola_.ReleaseResources());
  for (const std::string& call : library_.calls)
    EXPECT_EQ(call.rfind("unexpected", 0), std::string::npos) << call;
}

// A table that lacks an entry point is refused whole; without init_MBR the
// module cannot be set up or run.
TEST_F(MbrolaTest, ATableWithoutOneEntryPointIsRefusedAndNothingRuns) {
  const std::vector<std::function<void(MbrolaApi&)>> clear = {
      [](MbrolaApi& a) { a.init_MBR = nullptr; },
      [](MbrolaApi& a) { a.init_rename_MBR = nullptr; },
      [](MbrolaApi& a) { a.write_MBR = nullptr; },
      [](MbrolaApi& a) { a.flush_MBR = nullptr; },
      [](MbrolaApi& a) { a.read_MBR = nullptr; },
      [](MbrolaApi& a) { a.readtype_MBR = nullptr; },
      [](MbrolaApi& a) { a.close_MBR = nullptr; },
      [](MbrolaApi& a) { a.reset_MBR = nullptr; },
      [](MbrolaApi& a) { a.lastError_MBR = nullptr; },
      [](MbrolaApi& a) { a.lastErrorStr_MBR = nullptr; },
      [](MbrolaApi& a) { a.setNoError_MBR = nullptr; },
      [](MbrolaApi& a) { a.getNoError_MBR = nullptr; },
      [](MbrolaApi& a) { a.setFreq_MBR = nullptr; },
      [](MbrolaApi& a) { a.getFreq_MBR = nullptr; },
      [](MbrolaApi& a) { a.setVolumeRatio_MBR = nullptr; },
      [](MbrolaApi& a) { a.getVolumeRatio_MBR = nullptr; },
      [](MbrolaApi& a) { a.getVersion_MBR = nullptr; },
      [](MbrolaApi& a) { a.getDatabaseInfo_MBR = nullptr; },
  };
  ASSERT_EQ(clear.size(), static_cast<std::size_t>(MbrolaApi::kCount));
  for (std::size_t i = 0; i < clear.size(); ++i) {
    SCOPED_TRACE(MbrolaApi::kNames[i]);
    boxes_.clear();
    MbrolaApi api = ScriptedMbrola::Api();
    clear[i](api);
    EXPECT_EQ(api.Bound(), 17);
    VM_Mbrola module(api);
    module.SetComposer(&composer_);
    EXPECT_FALSE(module.Init());
    EXPECT_EQ(module.GetApi().Bound(), 0);
    EXPECT_FALSE(module.SetUp());
    EXPECT_FALSE(module.Run());
    EXPECT_EQ(Reported(), (std::vector<std::string>{"MBROLA: Unable to locate dll function",
                                                    kNotInitialisedReport, kNotInitialisedReport}));
  }
  EXPECT_TRUE(library_.calls.empty());
}

// The library loaded from the installation's bin folder.
class MbrolaLoadTest : public SpeechBed {
 protected:
  void Install(const std::string& library) const {
    std::filesystem::create_directories(inst_.path("bin"));
    std::filesystem::copy_file(library, inst_.path("bin/mbrola.so"),
                               std::filesystem::copy_options::overwrite_existing);
  }
};

TEST_F(MbrolaLoadTest, AMissingLibraryIsLoggedAndTheModuleCannotBeSetUp) {
  VM_Mbrola module;
  module.SetComposer(&composer_);
  EXPECT_FALSE(module.Init());
  EXPECT_FALSE(module.IsLoaded());
  const std::vector<std::string> log = LogLines();
  EXPECT_NE(std::find(log.begin(), log.end(), "*** FAIL TO LOAD MODULE [ mbrola.so ] ***"),
            log.end());
  EXPECT_TRUE(Reported().empty());
  EXPECT_FALSE(module.SetUp());
  EXPECT_EQ(Reported(), std::vector<std::string>{kNotInitialisedReport});
}

TEST_F(MbrolaLoadTest, ALibraryLackingAnEntryPointIsUnloadedAndReported) {
  Install(TM_MBROLA17_LIBRARY);
  VM_Mbrola module;
  module.SetComposer(&composer_);
  EXPECT_FALSE(module.Init());
  EXPECT_FALSE(module.IsLoaded());
  EXPECT_EQ(module.GetApi().Bound(), 0);
  EXPECT_EQ(Reported(), std::vector<std::string>{"MBROLA: Unable to locate dll function"});
  EXPECT_FALSE(module.SetUp());
  EXPECT_FALSE(module.Run());
}

TEST_F(MbrolaLoadTest, TheBuiltLibrarySynthesisesThePhoneText) {
  Install(TM_MBROLA_LIBRARY);
  std::filesystem::create_directories(inst_.path("voices"));
  std::filesystem::copy_file(std::string(TM_SOURCE_DIR) + "/data/voices/gr.voice",
                             inst_.path("voices/test.voice"));
  VM_Mbrola module;
  ASSERT_TRUE(composer_.directory.AddModule(&module));
  ASSERT_TRUE(module.IsLoaded());
  EXPECT_TRUE(module.GetApi().IsComplete());
  ASSERT_TRUE(module.SetUp());

  // 60 + 4 x 100 + 60 ms at 22050 Hz, each line within a sample.
  Generate("kala.");
  ASSERT_TRUE(module.Run());
  EXPECT_NEAR(speech_.GetSize(), 520 * 22.05, 6);
  EXPECT_TRUE(LogErrors().empty());
  double energy = 0.0;
  for (int16_t s : Samples()) energy += static_cast<double>(s) * s;
  EXPECT_GT(energy / speech_.GetSize(), 1000.0 * 1000.0);

  EXPECT_TRUE(module.ReleaseResources());
  EXPECT_FALSE(module.IsLoaded());
  EXPECT_EQ(module.GetApi().Bound(), 0);
}

// Through the composer: a font that chains VM_Mbrola cannot be selected
// while the library is missing.
using MbrolaComposerTest = engine_testing::ComposerTest;

TEST_F(MbrolaComposerTest, WithoutTheLibraryTheFontCannotBeSelected) {
  const std::string settings =
      "VM_Mbrola.Database=voices/gr.voice\nVM_Mbrola.Quantum=0\nVM_GeneratorPHO.Quantum=50\n";
  install_.Font("default.vof",
                engine_testing::FontText("VM_GeneratorPHO;VM_Mbrola", "cplayback", settings));
  EXPECT_EQ(Init(), Tamrin::kSetUpFailed);
  EXPECT_TRUE(engine_testing::Shown(boxes_, kNotInitialisedReport));
  EXPECT_TRUE(engine_testing::Shown(boxes_, "Error: setting up module [VM_Mbrola]"));
  const std::vector<std::string> log = testing_support::ReadLines(install_.path("log.txt"));
  EXPECT_NE(std::find(log.begin(), log.end(), "*** FAIL TO LOAD MODULE [ mbrola.so ] ***"),
            log.end());

  // With the library in place the same font is selected.
  std::filesystem::create_directories(install_.path("bin"));
  std::filesystem::copy_file(TM_MBROLA_LIBRARY, install_.path("bin/mbrola.so"));
  boxes_.clear();
  EXPECT_EQ(Init(), 0);
  EXPECT_FALSE(engine_testing::Shown(boxes_, kNotInitialisedReport));
}

}  // namespace
