// The synthesizer's voice files and phone lines.
#include "platform/mbrola/FormantVoice.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "platform/mbrola/PhoneLine.h"
#include "tests/common/TestSupport.h"

namespace {

using formant::FormantVoice;
using formant::PhoneLine;
const char kHeader[] = "tm-formant-voice 1\nrate 22050\n";

TEST(FormantVoiceTest, DefaultsApplyToLaterPhones) {
  FormantVoice voice;
  std::string error;
  ASSERT_TRUE(voice.Parse(std::string(kHeader) +
                              "# c\r\nname Test  voice\r\ngain -6\n"
                              "phone x1 vowel F1=640 AV=60   # after\ndefault F1=111\n"
                              "phone x2 stop AV=40 AF=80 burst=7.5\n",
                          "inline", error))
      << error;
  EXPECT_EQ(voice.name(), "Test voice");
  EXPECT_NEAR(voice.gain(), 0.501, 0.001);
  ASSERT_TRUE(voice.Find("x1") != nullptr && voice.Find("x2") != nullptr);
  EXPECT_EQ(voice.Find("x1")->track[formant::kF1], 640.0f);
  EXPECT_EQ(voice.Find("x2")->track[formant::kF1], 111.0f);
  EXPECT_FLOAT_EQ(voice.Find("x2")->av, 0.1f);
}

TEST(FormantVoiceTest, FaultsNameTheLineAndTheReason) {
  const std::pair<std::string, std::string> cases[] = {
      {"", "f: empty file"},
      {"voice 1\n", "f:1: expected the header \"tm-formant-voice 1\""},
      {"tm-formant-voice 1\nphone a vowel\n", "f: no rate line"},
      {kHeader, "f: no phones"},
      {std::string(kHeader) + "rate 22050.5\n",
       "f:3: rate must be a whole number from 8000 to 48000"},
      {std::string(kHeader) + "phone a vocal\n", "f:3: unknown phone class \"vocal\""},
      {std::string(kHeader) + "phone a vowel F1=7,5\n", "f:3: bad number in \"F1=7,5\""},
      {std::string(kHeader) + "phone a vowel AV=90\n", "f:3: value of AV out of range 0 to 80"},
      {std::string(kHeader) + "phone a vowel\nphone a vowel\n", "f:4: phone \"a\" defined twice"},
      {std::string(kHeader) + "phone _ vowel\n", "f:3: \"_\" is always silence"},
  };
  FormantVoice voice;
  std::string error;
  for (const auto& [text, expected] : cases) {
    EXPECT_FALSE(voice.Parse(text, "f", error));
    EXPECT_EQ(error, "bad database format: " + expected);
  }
  testing_support::TempDir dir;
  EXPECT_EQ(voice.Load(dir / "none.voice", error), FormantVoice::LoadResult::kNotFound);
  EXPECT_EQ(voice.Load(dir.path(), error), FormantVoice::LoadResult::kNotFound);
}

TEST(PhoneLineTest, ReadsPhonesCommentsAndFlushes) {
  using K = PhoneLine::Kind;
  const struct {
    const char* line;
    K kind;
    const char *symbol, *points;  // the points "percent:f0 ...", sorted
    double ms;
    const char* error;
  } cases[] = {
      {"  a\t12.5  (0,120) (50, 130)( 100 , 90 )\r", K::kPhone, "a", "0:120 50:130 100:90", 12.5,
       ""},
      {"o 60 (80,100) (-5,150)", K::kPhone, "o", "0:150 80:100", 60, ""},
      {"; _ 100", K::kNothing, "", "", 0, ""},
      {"#", K::kFlush, "#", "", 0, ""},
      {"a -5", K::kBad, "a", "", 0, "duration out of range"},
      {"a 100 (0,120", K::kBad, "a", "", 0, "bad pitch point"},
  };
  PhoneLine line;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    ASSERT_EQ(line.Parse(c.line), c.kind);
    EXPECT_EQ(line.error(), c.error);
    if (c.kind != K::kPhone) continue;
    EXPECT_EQ(line.symbol(), c.symbol);
    EXPECT_EQ(line.durationMs(), c.ms);
    std::ostringstream points;
    for (const formant::PitchPoint& p : line.points()) points << ' ' << p.percent << ':' << p.f0;
    EXPECT_EQ(points.str(), std::string(" ") + c.points);
  }
}

}  // namespace
