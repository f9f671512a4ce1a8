// The text feeders through the composer: chopping into passes that each run
// the rest of the chain, and their decided faults.
#include <string>

#include "tests/modules/TextTestBed.h"

namespace {

using text_testing::Texts;

class TextFeederTest : public text_testing::TextBed {};

struct ChopCase {
  const char* size;
  const char* boundary;
  const char* text;
  Texts passes;
  bool abortAfterFirst;
};

TEST_F(TextFeederTest, ChoppingRunsTheRestOfTheChainOncePerPass) {
  const std::string word(25, 'w');
  const std::string forty = "Forty characters, without a sentence end";
  const ChopCase cases[] = {
      {"10", "", "Ab cd. Ef gh", {"Ab cd.", " Ef gh ."}, false},
      {"100", "", forty.c_str(), {forty + " ."}, false},
      {"10", "", word.c_str(), {word + " ."}, false},
      // "." makes the boundary ".\r\n\v": the piece is cut there without a
      // pass; without it the boundary "\r\n\v" cuts the piece elsewhere.
      {"6", ".", "a.\r\n\vbc. d", {"a.\r\n\vbc. d ."}, false},
      {"6", "", "a.\r\n\vbc. d", {"a.\r\n\vbc.", " d ."}, false},
      {"5", ".", "Ab. Cd", {"Ab.", " Cd ."}, false},
      // A pass size of 0 or below makes one pass.
      {"0", "", "Ab. Cd. Ef", {"Ab. Cd. Ef ."}, false},
      {"-3", "", "Ab. Cd. Ef", {"Ab. Cd. Ef ."}, false},
      // A stop request between passes ends the feeding.
      {"10", "", "Ab cd. Ef gh", {"Ab cd."}, true},
  };
  for (const ChopCase& c : cases) {
    ChopFont(std::string("chop") + c.size + c.boundary + ".vof", "P1;VM_TextFeeder;P2", c.size,
             std::string("VM_TextFeeder.EndOfSentenceBoundary=") + c.boundary + "\n");
  }
  Start("default.vof");
  for (const ChopCase& c : cases) {
    SCOPED_TRACE(std::string(c.size) + " [" + c.boundary + "] " + c.text);
    ASSERT_EQ(composer_.SetCharacter(std::string("chop") + c.size + c.boundary + ".vof"), 0);
    onProbe = [&c](const std::string& probe) {
      if (c.abortAfterFirst && probe == "P2") VControl::SetAbort(true);
      return true;
    };
    Speak(c.text);
    EXPECT_EQ(Seen("P1").size(), 1u);
    EXPECT_EQ(Seen("P2"), c.passes);
  }
}

struct FeederCase {
  const char* size;
  const char* text;
  Texts passes;
};

TEST_F(TextFeederTest, TheDelimiterFeederCutsSegmentsAndLongOnesAtSentenceEnds) {
  const FeederCase cases[] = {
      {"10", "a;b?c", {"a;", "b?", "c"}},
      {"10", "a;;b", {"a;", "b"}},
      {"9", "One. Two three", {"One.", " Two three"}},
      // A window without a blank grows to the whole segment, which is
      // converted like any other pass.
      {"4", "abcdefghix;yz", {"abcdefghiX", "yz"}},
      // A window grown to the whole segment without a sentence end takes it.
      {"3", "ab cd ef;y", {"ab cd ef", "y"}},
      {"0", "ab cd. ef gh", {"ab cd. ef gh"}},
  };
  inst_.Rules("rules/x.rul", "@output-unknown yes\nx | - | - | X | 1\n");
  for (const FeederCase& c : cases) {
    Font(std::string("feeder") + c.size + ".vof", "VM_Feeder;P1",
         std::string("VM_Feeder.FileChain=x.rul\nVM_Feeder.ChopInputText=yes\n") +
             "VM_Feeder.OnePassSize=" + c.size + "\n");
  }
  Start("default.vof");
  for (const FeederCase& c : cases) {
    SCOPED_TRACE(std::string(c.size) + " " + c.text);
    ASSERT_EQ(composer_.SetCharacter(std::string("feeder") + c.size + ".vof"), 0);
    RunModule(Tamrin::kFeeder, c.text);
    EXPECT_EQ(Seen("P1"), c.passes);
  }
}

TEST_F(TextFeederTest, EachPassConvertsItsRawTextOnce) {
  // Converting twice doubles an 'a' twice; "3." is no sentence end.
  inst_.Rules("rules/twice.rul",
              "@output-unknown yes\n. | =:1:3 | - | , | 1\na | - | - | aa | 1\n");
  ChopFont("twice.vof", "VM_TextFeeder;P1", "4", "", "twice.rul");
  Start("twice.vof");
  Speak("a3. b. c");
  EXPECT_EQ(Seen("P1"), (Texts{"aa3, b.", " c ."}));
}

TEST_F(TextFeederTest, EachEngineFeedsByItsOwnFontsChopFlag) {
  ChopFont("chop.vof", "VM_TextFeeder;P1", "4");
  Font("whole.vof", "VM_TextFeeder;P1", "VM_TextFeeder.FileChain=same.rul\n");
  Start("chop.vof");
  engine_testing::TestTamrin other;
  other.SetShared(&shared_);
  ASSERT_EQ(other.Init("whole.vof", 2, 0), 0);
  Speak("Ab. Cd");
  EXPECT_EQ(Seen("P1"), (Texts{"Ab.", " Cd ."}));
  other.Finalize();
}

TEST_F(TextFeederTest, EveryRunAndPassStartsWithEmptyLayers) {
  ChopFont("chop.vof", "VM_TextFeeder;P1", "4");
  Start("chop.vof");
  VLayer* words = WordLayer();
  std::vector<int> sizes;
  onProbe = [&](const std::string&) {
    // A token of this pass, which the next pass must not see.
    sizes.push_back(words->Size());
    words->Add(_token_(composer_.GetText()->GetData(), composer_.GetText()->GetData()));
    return true;
  };
  Speak("Ab. Cd. Ef");
  EXPECT_EQ(sizes, (std::vector<int>{0, 0, 0}));
}

}  // namespace
