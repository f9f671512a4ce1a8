// A short sentence through a test font's whole chain, from the phone string
// to the phone text, against durations and pitch points worked out by hand.
#include <string>

#include "tests/modules/ProsodyTestBed.h"

namespace {

using ProsodyEndToEndTest = prosody_testing::ProsodyBed;

TEST_F(ProsodyEndToEndTest, ThePhoneTextHasTheFontsRhythmAndMelody) {
  UseFont(std::string(prosody_testing::kLayers) +
              "VM_DurationTriState;VM_DurationWord;VM_DurationFilter;VM_IntonationV58;"
              "VM_IntonationSyllable;VM_SmoothF0;VM_GeneratorPHO",
          std::string(prosody_testing::kResources) +
              "VM_DurationWord.EndingCharge1=1.25\nVM_DurationWord.EndingCharge2=1\n"
              "VM_DurationWord.StopCharge=1.2\nVM_SmoothF0.GapThreshold=2\n");
  Run("pAli.");
  // Durations, 100 ms x factor in steps of 20 ms:
  //   p  1                                          100 ms, 5 cells
  //   A  1.5 (stressed) x 1 x 1.2 x 0.9             162 -> 160 ms, 8 cells
  //   l  1.2 (voiced between vowels)                120 ms, 6 cells
  //   i  1.3 (no vowel after) x 1.25 x 1.2 x 0.9    175.5 -> 180 ms, 9 cells
  // Pitch at 0, 50 and 100 % of each phone, 120 Hz x the template S1 T1:
  //   p 1.5; A from 1.5 to 3 over its first 4 cells (cell 3: 2.625); l 0.5 x 3; i half that.
  EXPECT_EQ(generator_.GetPho(),
            "_ 60 (0,120)\n"
            "p 100 (0,180) (50,180) (100,180)\n"
            "a 160 (0,180) (50,315) (100,360)\n"
            "l 120 (0,180) (50,180) (100,180)\n"
            "i 180 (0,90) (50,90) (100,90)\n"
            "_ 60");
  EXPECT_EQ(Logged(), 0);
}

}  // namespace
