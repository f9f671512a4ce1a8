// Voice files and phone-text lines of the formant synthesizer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/mbrola/FormantVoice.h"
#include "platform/mbrola/PhoneLine.h"
#include "tests/common/TestSupport.h"

namespace {

using formant::FormantVoice;
using formant::PhoneClass;
using formant::PhoneLine;

const char kHeader[] = "tm-formant-voice 1\nrate 22050\n";

TEST(FormantVoiceTest, ShippedGreekVoiceHasEveryPhone) {
  FormantVoice voice;
  std::string error;
  ASSERT_EQ(voice.Load(std::string(TM_SOURCE_DIR) + "/data/voices/gr.voice", error),
            FormantVoice::LoadResult::kOk)
      << error;
  EXPECT_EQ(voice.rate(), 22050);
  for (const char* symbol : {"a", "e", "i", "o", "u", "p", "t", "k", "b", "d", "g", "f", "T",
                             "s", "x", "v", "D", "z", "G", "m", "n", "l", "r", "j", "c"}) {
    const formant::PhoneTargets* p = voice.Find(symbol);
    ASSERT_NE(p, nullptr) << symbol;
    EXPECT_NE(p->kind, PhoneClass::kSilence) << symbol;
  }
  ASSERT_NE(voice.Find("_"), nullptr);
  EXPECT_EQ(voice.Find("_")->kind, PhoneClass::kSilence);
  EXPECT_EQ(voice.Find("A"), nullptr);  // stressed vowels arrive in lower case
  // Greek vowel targets of an adult male.
  struct Vowel {
    const char* symbol;
    float f1, f2;
  };
  for (const Vowel& v : {Vowel{"a", 700, 1300}, Vowel{"e", 480, 1750}, Vowel{"i", 300, 2250},
                         Vowel{"o", 500, 900}, Vowel{"u", 330, 750}}) {
    EXPECT_NEAR(voice.Find(v.symbol)->track[formant::kF1], v.f1, 0.1 * v.f1) << v.symbol;
    EXPECT_NEAR(voice.Find(v.symbol)->track[formant::kF1 + 1], v.f2, 0.1 * v.f2) << v.symbol;
  }
  // Voicing tells the voiced consonants from the unvoiced ones.
  for (const char* voiced : {"b", "d", "g", "v", "D", "z", "G", "j", "m", "n", "l", "r"}) {
    EXPECT_GT(voice.Find(voiced)->av, 0.0f) << voiced;
  }
  for (const char* unvoiced : {"p", "t", "k", "c", "f", "T", "s", "x"}) {
    EXPECT_EQ(voice.Find(unvoiced)->av, 0.0f) << unvoiced;
    EXPECT_GT(voice.Find(unvoiced)->af, 0.0f) << unvoiced;
  }
}

TEST(FormantVoiceTest, ValuesDefaultsAndDecibels) {
  FormantVoice voice;
  std::string error;
  ASSERT_TRUE(voice.Parse(std::string(kHeader) + "# comment\r\n"
                                                 "name Test  voice\r\n"
                                                 "f0 95\noq 0.5\ntilt 0.2\ngain -6\n"
                                                 "phone x1 vowel F1=640 AV=60   # after a phone\n"
                                                 "default F1=111 B6=333\n"
                                                 "phone x2 stop AV=40 AF=80 burst=7.5 vot=12 LW=2\n"
                                                 "phone q silence AV=60\n",
                          "inline", error))
      << error;
  EXPECT_EQ(voice.name(), "Test voice");
  EXPECT_EQ(voice.defaultF0(), 95.0);
  EXPECT_EQ(voice.openQuotient(), 0.5);
  EXPECT_EQ(voice.tilt(), 0.2);
  EXPECT_NEAR(voice.gain(), 0.501, 0.001);
  const formant::PhoneTargets* x1 = voice.Find("x1");
  const formant::PhoneTargets* x2 = voice.Find("x2");
  ASSERT_NE(x1, nullptr);
  ASSERT_NE(x2, nullptr);
  EXPECT_EQ(x1->track[formant::kF1], 640.0f);
  EXPECT_EQ(x1->track[formant::kB1 + 5], 1000.0f);  // built-in default
  EXPECT_EQ(x2->track[formant::kF1], 111.0f);       // default line applies to later phones
  EXPECT_EQ(x2->track[formant::kB1 + 5], 333.0f);
  EXPECT_FLOAT_EQ(x1->av, 1.0f);
  EXPECT_FLOAT_EQ(x2->av, 0.1f);
  EXPECT_FLOAT_EQ(x2->af, 10.0f);
  EXPECT_EQ(x2->kind, PhoneClass::kStop);
  EXPECT_EQ(x2->burstMs, 7.5f);
  EXPECT_EQ(x2->locusWeight, 2.0f);
  EXPECT_EQ(voice.Find("q")->av, 0.0f);  // silence is silent
}

TEST(FormantVoiceTest, FaultsNameTheLineAndTheReason) {
  struct Case {
    std::string text;
    std::string error;
  };
  const std::vector<Case> cases = {
      {"", "bad database format: f: empty file"},
      {"voice 1\n", "bad database format: f:1: expected the header \"tm-formant-voice 1\""},
      {"tm-formant-voice 1\nphone a vowel\n", "bad database format: f: no rate line"},
      {kHeader, "bad database format: f: no phones"},
      {std::string(kHeader) + "rate 22050.5\n",
       "bad database format: f:3: rate must be a whole number from 8000 to 48000"},
      {std::string(kHeader) + "speed 3\n", "bad database format: f:3: unknown directive \"speed\""},
      {std::string(kHeader) + "phone a\n",
       "bad database format: f:3: a phone line needs a symbol and a class"},
      {std::string(kHeader) + "phone a vocal\n",
       "bad database format: f:3: unknown phone class \"vocal\""},
      {std::string(kHeader) + "phone a vowel F1 700\n",
       "bad database format: f:3: expected key=value, found \"F1\""},
      {std::string(kHeader) + "phone a vowel F1=7,5\n",
       "bad database format: f:3: bad number in \"F1=7,5\""},
      {std::string(kHeader) + "phone a vowel AV=90\n",
       "bad database format: f:3: value of AV out of range 0 to 80"},
      {std::string(kHeader) + "phone a vowel\nphone a vowel\n",
       "bad database format: f:4: phone \"a\" defined twice"},
      {std::string(kHeader) + "phone _ vowel\n",
       "bad database format: f:3: \"_\" is always silence"},
      {std::string(kHeader) + "oq 2\n",
       "bad database format: f:3: oq must be a number from 0.2 to 0.9"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    FormantVoice voice;
    std::string error;
    EXPECT_FALSE(voice.Parse(c.text, "f", error));
    EXPECT_EQ(error, c.error);
    EXPECT_TRUE(voice.phones().empty());
  }
}

TEST(FormantVoiceTest, LoadTellsMissingFromMalformed) {
  testing_support::TempDir dir;
  FormantVoice voice;
  std::string error;
  EXPECT_EQ(voice.Load(dir / "none.voice", error), FormantVoice::LoadResult::kNotFound);
  EXPECT_EQ(error, "database not found: " + (dir / "none.voice"));
  testing_support::WriteFile(dir / "bad.voice", "nonsense\n");
  EXPECT_EQ(voice.Load(dir / "bad.voice", error), FormantVoice::LoadResult::kBadFormat);
  EXPECT_EQ(voice.Load(dir.path(), error), FormantVoice::LoadResult::kNotFound);
}

TEST(FormantVoiceTest, RenameAndCloneAreAllOrNothing) {
  FormantVoice voice;
  std::string error;
  ASSERT_TRUE(voice.Parse(
      std::string(kHeader) + "phone a vowel F1=700\nphone b stop\nphone c vowel F1=300\n", "f",
      error));
  // A swap is one renaming.
  ASSERT_TRUE(voice.Rename({{"a", "c"}, {"c", "a"}}, error)) << error;
  EXPECT_EQ(voice.Find("a")->track[formant::kF1], 300.0f);
  EXPECT_EQ(voice.Find("c")->track[formant::kF1], 700.0f);
  EXPECT_FALSE(voice.Rename({{"a", "x"}, {"b", "x"}}, error));
  EXPECT_EQ(error, "bad argument: renaming gives phone \"x\" twice");
  EXPECT_FALSE(voice.Rename({{"a", "_"}}, error));
  EXPECT_FALSE(voice.Rename({{"zz", "y"}}, error));
  EXPECT_NE(voice.Find("a"), nullptr);
  EXPECT_EQ(voice.Find("x"), nullptr);

  ASSERT_TRUE(voice.Clone({{"a", "a:"}}, error));
  EXPECT_EQ(voice.Find("a:")->track[formant::kF1], 300.0f);
  EXPECT_FALSE(voice.Clone({{"a", "b"}}, error));
  EXPECT_FALSE(voice.Clone({{"q", "r"}}, error));
  EXPECT_EQ(voice.phones().size(), 4u);
}

TEST(PhoneLineTest, ReadsPhonesCommentsAndFlushes) {
  struct Case {
    const char* line;
    PhoneLine::Kind kind;
    const char* symbol;
    double ms;
    std::vector<formant::PitchPoint> points;
    const char* error;
  };
  using K = PhoneLine::Kind;
  const std::vector<Case> cases = {
      {"a 100", K::kPhone, "a", 100, {}, ""},
      {"  a\t12.5  (0,120) (50, 130)( 100 , 90 )\r",
       K::kPhone,
       "a",
       12.5,
       {{0, 120}, {50, 130}, {100, 90}},
       ""},
      {"T 80 20 110 70 120", K::kPhone, "T", 80, {{20, 110}, {70, 120}}, ""},
      {"e 60 (80,100) (10,150)", K::kPhone, "e", 60, {{10, 150}, {80, 100}}, ""},
      {"o 60 (-5,100) (120,150)", K::kPhone, "o", 60, {{0, 100}, {100, 150}}, ""},
      {"\xE1 40", K::kPhone, "\xE1", 40, {}, ""},
      {"_ 0", K::kPhone, "_", 0, {}, ""},
      {"", K::kNothing, "", 0, {}, ""},
      {"   \r", K::kNothing, "", 0, {}, ""},
      {"; _ 100", K::kNothing, "", 0, {}, ""},
      {"#", K::kFlush, "#", 0, {}, ""},
      {"a", K::kBad, "a", 0, {}, "no duration"},
      {"a x", K::kBad, "a", 0, {}, "bad duration"},
      {"a 1e3", K::kBad, "a", 0, {}, "bad duration"},
      {"a -5", K::kBad, "a", 0, {}, "duration out of range"},
      {"a 100 (0,120", K::kBad, "a", 0, {}, "bad pitch point"},
      {"a 100 50", K::kBad, "a", 0, {}, "bad pitch point"},
      {"a 100 (50,0)", K::kBad, "a", 0, {}, "pitch out of range"},
  };
  PhoneLine line;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    ASSERT_EQ(line.Parse(c.line), c.kind);
    EXPECT_EQ(line.error(), c.error);
    if (c.kind != K::kPhone) continue;
    EXPECT_EQ(line.symbol(), c.symbol);
    EXPECT_EQ(line.durationMs(), c.ms);
    ASSERT_EQ(line.points().size(), c.points.size());
    for (std::size_t i = 0; i < c.points.size(); ++i) {
      EXPECT_EQ(line.points()[i].percent, c.points[i].percent);
      EXPECT_EQ(line.points()[i].f0, c.points[i].f0);
    }
  }
}

}  // namespace
