// The prosody modules on phone strings over a composer stand-in; the lexicon knows "ke".
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <tuple>

#include "engine/composer/VCharacterPool.h"
#include "engine/data/FeatureNames.h"
#include "modules/vm_dur_filter.h"
#include "modules/vm_dur_tristate.h"
#include "modules/vm_dur_wrd.h"
#include "modules/vm_genpho.h"
#include "modules/vm_int_58.h"
#include "modules/vm_int_syl.h"
#include "modules/vm_phrasation.h"
#include "modules/vm_sentencation.h"
#include "modules/vm_smoothf0.h"
#include "modules/vm_syllablation_formal.h"
#include "modules/vm_wordation.h"
#include "tests/common/ComposerBed.h"

namespace {

using testing_support::Cells;
using testing_support::Join;
using testing_support::Repeat;

constexpr const char* kLayers = "VM_LayerSyllable;VM_LayerWord;VM_LayerPhrase;VM_LayerSentence;";
// The resources, the word-end charges and the syllable contour.
constexpr const char* kResources =
    "VM_DurationTristate.Compiler=test.3st\nVM_IntonationV58.Compiler=test.v58\n"
    "VM_DurationWord.EndingCharge1=2\nVM_DurationWord.EndingCharge2=1.5\n"
    "VM_DurationWord.StopCharge=3\nVM_DurationWord.CommaCharge=5\n"
    "VM_DurationWord.QuestionCharge=7\nVM_IntonationSyllable.x0=0\nVM_IntonationSyllable.x1=0.3\n"
    "VM_IntonationSyllable.x2=0.7\nVM_IntonationSyllable.x3=1\nVM_IntonationSyllable.y0=1\n"
    "VM_IntonationSyllable.y1=1.2\nVM_IntonationSyllable.y2=1.2\nVM_IntonationSyllable.y3=1\n";
const std::string kTemplates = std::string(kLayers) + "VM_IntonationV58";

class ProsodyTest : public testing_support::ComposerBed {
 protected:
  ProsodyTest() {
    inst_.write("config.txt", testing_support::Installation::Configuration());
    // Stressed vowels 1.5, voiced phones between vowels 1.2, a vowel before a break (or none) 1.3.
    inst_.Scrambled("tristate/test.3st",
                    {"[*][stressed:1][*]:0.15", "[vowel:1][voiced:1][vowel:1]:0.12",
                     "[*][vowel:1][break:1]:0.13"},
                    120);
    // S1 T1 (mask 96): S1's vowel 1.5 to 3 over its first half, 0.5 handed on, T1's to half.
    inst_.Scrambled(
        "v58/test.v58",
        {"; skipped", "%stop", "#S1 T1", "S1\t1.5\t2\tvowel:1\t0.5\t1\t0.5\tvowel:1\t0.5",
         "T1\t1\t0.5\tvowel:1\t0\t1\t1\tvowel:1\t0.5", "%"},
        400);
    inst_.write("lexicon/test.lex", "ke\tconjunction\n");
    EXPECT_EQ(shared_.GetConfiguration()->Load(inst_.path("config.txt")), 1);
    EXPECT_TRUE(shared_.Get3States()->Load(&shared_) && shared_.GetV58Compiler()->Load(&shared_) &&
                shared_.GetTreeLexicon()->Load(&shared_));
    bed_->composer.onReset = [this] { bed_->duration.Reset(), bed_->intonation.Reset(); };
    pool_.SetComposer(&bed_->composer);
    std::apply([this](auto&... m) { (bed_->composer.directory.AddModule(&m), ...); }, modules_);
  }

  // Makes a font of that chain and these settings (before the bed's and the lexicon) current.
  void UseFont(const std::string& chain, const std::string& settings = kResources) {
    ComposerBed::UseFont(settings + "VM_LayerWord.Lexicon=test.lex\nVModuleChain.Modules=" + chain +
                         "\n");
    bed_->character->SetComposer(&bed_->composer);
    pool_.BuildChain(bed_->character.get());
    ASSERT_EQ(bed_->character->GetChain()->SetUpAll(), 0);
  }

  void Run(const std::string& phones) {
    bed_->composer.text.SetText(phones);
    bed_->character->GetChain()->Run(nullptr);
  }
  bool RunModule(const char* name) { return bed_->composer.directory.Find(name)->Run(); }
  // The tokens of a layer, each its span, a blank and its features, joined by " | ".
  std::string Tokens(const char* layer) const {
    std::string out;
    for (const _token_* t : bed_->mlds.GetLayer(layer)->Tokens()) {
      out += (out.empty() ? "" : " | ") + std::string(t->GetStart(), t->GetEnd() + 1) + " " +
             t->GetString();
    }
    return out;
  }

  // The duration factors, or with cells the F0 cells, against the expected values.
  void Expect(const std::vector<float>& want, bool cells = false) {
    std::vector<float> got = cells ? bed_->Cells() : std::vector<float>();
    for (int i = 0; !cells && i < bed_->duration.GetSize(); ++i)
      got.push_back(bed_->duration.Get(i));
    testing_support::ExpectCells(got, want);
  }

  std::tuple<VM_LayerSyllable, VM_LayerWord, VM_LayerPhrase, VM_LayerSentence, VM_DurationTriState,
             VM_DurationWord, VM_DurationFilter, VM_IntonationV58, VM_IntonationSyllable,
             VM_SmoothF0, VM_GeneratorPHO>
      modules_;
  VCharacterPool pool_;
};

TEST_F(ProsodyTest, LayersTakeTheirMarksAndTypesFromStressesBreaksAndConjunctions) {
  UseFont(kLayers);
  // phones, text after (null: unchanged); syllables, words, phrases, sentences (null: unchecked)
  const std::vector<std::array<const char*, 6>> cases = {
      {"kAlimEra.", nullptr, "kA stressed:1\tword:start | li  | mE stressed:1 | ra word:fin",
       "kAlimEra phrase:start\tphrase:fin", "kAlimEra type:stop", "kAlimEra type:stop"},
      // Consonants before a non-phone join the last syllable; a pause before
      // a conjunction becomes a comma break.
      {"ast_ke.", "ast/ke.", "ast word:start\tword:fin | ke word:start\tword:fin",
       "ast phrase:start\tphrase:fin | ke conjunction:1\tphrase:start\tphrase:fin",
       "ast type:comma | ke type:stop", "ast/ke type:stop"},
      // Leading consonants without a vowel: one token up to the non-phone.
      {"st_a.", nullptr, "st_ word:start\tword:fin | a word:start\tword:fin",
       "st phrase:start | a phrase:fin", "st_a type:stop", "st_a type:stop"},
      // Phones at the end of the text make no word, trailing consonants no syllable.
      {"_kas", nullptr, "ka ", "", "", ""},
      {"pAli_sas;", nullptr, nullptr, nullptr, "pAli_sas type:question", "pAli_sas type:question"},
      {"pA!", nullptr, nullptr, nullptr, "pA type:exclamation", "pA type:exclamation"},
      {"pA,_sas.", nullptr, nullptr, nullptr, "pA type:comma | sas type:stop", "pA,_sas type:stop"},
      {"pA.sas,", nullptr, nullptr, nullptr, "pA type:stop | sas type:comma", "pA type:stop"},
      {"pAli_sas_ke_pA.", "pAli_sas/ke_pA.", nullptr,
       "pAli phrase:start | sas phrase:fin | ke conjunction:1\tphrase:start | pA phrase:fin",
       "pAli_sas type:comma | ke_pA type:stop", "pAli_sas/ke_pA type:stop"},
      // A break two before the conjunction: nothing is rewritten.
      {"sas,_ke.", nullptr, nullptr, nullptr, "sas type:comma | ke type:stop", "sas,_ke type:stop"},
      // Decided: nor when the break stands right before it (the question stays).
      {"kalO;ke.", nullptr, nullptr, nullptr, "kalO type:question | ke type:stop",
       "kalO type:question | ke type:stop"},
      // A conjunction at index 1 has nothing two before it; at index 2 it has.
      {"_ke_pAli_sas_pAli.", nullptr, nullptr, nullptr, "ke_pAli_sas_pAli type:stop", nullptr},
      {"a_ke.", "a/ke.", nullptr, nullptr, "a type:comma | ke type:stop", nullptr},
      {"pA_ke_sas_ke_pA.", "pA/ke_sas/ke_pA.", nullptr, nullptr,
       "pA type:comma | ke_sas type:comma | ke_pA type:stop", nullptr},
      // A phrase ends at its last phone.
      {"pA_.", nullptr, nullptr, nullptr, "pA type:stop", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c[0]);
    Run(c[0]);
    EXPECT_EQ(bed_->composer.text.Str(), c[1] != nullptr ? c[1] : c[0]);
    const char* names[] = {layers::kSyllable, layers::kWord, layers::kPhrase, layers::kSentence};
    for (int i = 2; i < 6; ++i) {
      EXPECT_TRUE(c[i] == nullptr || Tokens(names[i - 2]) == c[i]) << Tokens(names[i - 2]);
    }
  }
}

TEST_F(ProsodyTest, FactorsAndCellsFollowNeighboursPhraseTypesContoursAndTemplates) {
  const std::string tri = "VM_DurationTriState", word = std::string(kLayers) + "VM_DurationWord";
  // kAli.: the contour ramps kA up to 1.2 over 30 %, holds to 70 % and ramps down.
  const float a = 1.0666667f, b = 1.1333333f;
  const std::vector<float> contour = Join({{1, a, b}, Repeat(1.2f), {b, a}, Repeat(1, 10)});
  // S1 T1 (mask 96): k 1.5, A from 1.5 to 3 over its first half, l at 0.5 x 3, i half of that.
  const std::vector<float> s1t1 =
      Join({Repeat(1.5f, 6), {2.1f, 2.7f, 3, 3}, Repeat(1.5f), Repeat(.75f)});
  // chain, phones, whether the F0 cells or the duration factors, the values
  const std::vector<std::tuple<std::string, const char*, bool, std::vector<float>>> cases = {
      // Stressed 1.5; l between the vowels 1.2; o with no tri-state phone after it, '.': 1.3.
      {tri, "kAlo.", false, {1, 1.5f, 1.2f, 1.3f, 1}},
      {tri, "A.", false, {1, 1}},
      // The neighbours are the nearest tri-state phones: m and l lie between A and o.
      {tri, "kAmlo.", false, {1, 1.5f, 1.2f, 1.2f, 1.3f, 1}},
      // Syllable ends of the phrase-final word: 1.5 (EndingCharge2), the last
      // 2 (EndingCharge1), times the type's charge; s is voiceless.
      {word, "pAli.", false, {1, 4.5f, 1, 6, 1}},
      {word, "pAlis,", false, {1, 7.5f, 1, 1, 1, 1}},
      {word, "kalO_pAli;", false, {1, 1, 1, 1, 1, 1, 10.5f, 1, 14, 1}},
      {word, "pAli!", false, {1, 1, 1, 1, 1}},
      {"VM_DurationFilter", "kAlo.", false, {1, 0.9f, 1, 0.9f, 1}},
      {"VM_DurationFilter", "alo.", false, {0.9f, 1, 0.9f, 1}},
      {std::string(kLayers) + "VM_IntonationSyllable", "kAli.", true, contour},
      {kTemplates, "kAli.", true, s1t1},
      // The template marked kA as first stress: no syllable contour on it.
      {kTemplates + ";VM_IntonationSyllable", "kAli.", true, s1t1},
  };
  for (const auto& [chain, phones, cells, values] : cases) {
    SCOPED_TRACE(chain + " " + phones);
    UseFont(chain);
    Run(phones);
    Expect(values, cells);
  }
  EXPECT_EQ(inst_.Logged(), 0);
}

TEST_F(ProsodyTest, ThePhoneTextOfTheWholeChainHasTheFontsRhythmAndMelody) {
  UseFont(std::string(kLayers) +
              "VM_DurationTriState;VM_DurationWord;VM_DurationFilter;VM_IntonationV58;"
              "VM_IntonationSyllable;VM_SmoothF0;VM_GeneratorPHO",
          "VM_DurationWord.EndingCharge1=1.25\nVM_DurationWord.EndingCharge2=1\n"
          "VM_DurationWord.StopCharge=1.2\nVM_SmoothF0.GapThreshold=2\n" +
              std::string(kResources));
  Run("pAli.");
  // Durations, 100 ms x factor in steps of 20 ms:
  //   p  1                                          100 ms, 5 cells
  //   A  1.5 (stressed) x 1 x 1.2 x 0.9             162 -> 160 ms, 8 cells
  //   l  1.2 (voiced between vowels)                120 ms, 6 cells
  //   i  1.3 (no vowel after) x 1.25 x 1.2 x 0.9    175.5 -> 180 ms, 9 cells
  // Pitch at 0, 50 and 100 % of each phone, 120 Hz x the template S1 T1:
  //   p 1.5; A from 1.5 to 3 over its first 4 cells (cell 3: 2.625); l 0.5 x 3; i half that.
  EXPECT_EQ(std::get<VM_GeneratorPHO>(modules_).GetPho(),
            "_ 60 (0,120)\n"
            "p 100 (0,180) (50,180) (100,180)\n"
            "a 160 (0,180) (50,315) (100,360)\n"
            "l 120 (0,180) (50,180) (100,180)\n"
            "i 180 (0,90) (50,90) (100,90)\n"
            "_ 60");
  EXPECT_EQ(inst_.Logged(), 0);
}

TEST_F(ProsodyTest, MissingRulesOrTemplatesAndUncoveredWordsChangeNothing) {
  // Decided: no tri-state rules, no templates: one log line each at set-up, nothing changed.
  UseFont("VM_DurationTriState", "TIMEQUANTUM=20\nVM_DurationTristate.Compiler=none.3st\n");
  Run("kAlo.");
  Expect({1, 1, 1, 1, 1});
  UseFont(kTemplates, "TIMEQUANTUM=20\n");
  Run("kAli.");
  Expect(Repeat(1, 20), true);
  // Decided: a phrase without a template keeps its cells and marks, so the
  // syllable contours leave its first stress too (one log line for the run).
  UseFont(kTemplates + ";VM_IntonationSyllable");
  Run("kalI,pA.");
  Expect(Repeat(1, 30), true);
  EXPECT_EQ(Tokens(layers::kSyllable),
            "ka word:start | lI stressed:1\tword:fin\tphrase:firstStress | "
            "pA stressed:1\tword:start\tword:fin\tphrase:firstStress");
  EXPECT_EQ(inst_.Logged(), 3);
  // Only the stresses between the marked ones take the contour (the second pA).
  const float a = 1.0666667f, b = 1.1333333f;
  Run("pA_pA_pA_pA.");
  Expect(Join({Repeat(1, 10), {1, a, b}, Repeat(1.2f), {b, a}, Repeat(1, 20)}), true);
  EXPECT_EQ(inst_.Logged(), 4);

  // Decided: a phrase-final word that no syllable covers is skipped.
  UseFont(kLayers);
  Run("pAli.");
  bed_->mlds.GetLayer(layers::kSyllable)->Reset();
  EXPECT_TRUE(RunModule("VM_DurationWord"));
  Expect({1, 1, 1, 1, 1});

  // Decided: so is one with syllable ends past the durations (of a shorter
  // text: the last end lies just past them).
  bed_->duration.Reset();
  bed_->composer.text.SetText("pAl");
  ASSERT_EQ(bed_->duration.Prepare(), 1);
  bed_->composer.text.SetText("pAli.");
  for (const char* m : {"VM_LayerSyllable", "VM_LayerWord", "VM_LayerPhrase", "VM_DurationWord"}) {
    EXPECT_TRUE(RunModule(m)) << m;
  }
  Expect({1, 1, 1});
}

TEST_F(ProsodyTest, FailedPreparationsEndTheRunOrNotAsEachModuleDecides) {
  // No phone with a duration: the contours and the templates end the run.
  UseFont(kLayers, "TIMEQUANTUM=20\n");
  Run("_.");
  EXPECT_FALSE(RunModule("VM_IntonationSyllable"));
  EXPECT_FALSE(RunModule("VM_IntonationV58"));
  EXPECT_TRUE(RunModule("VM_SmoothF0"));
  // Decided: a failed preparation does nothing, logged once by the templates.
  UseFont(kLayers, "TIMEQUANTUM=0\n");
  Run("kAli.");
  bed_->duration.Reset();
  EXPECT_FALSE(RunModule("VM_IntonationSyllable"));
  for (const char* m : {"VM_DurationTriState", "VM_DurationWord", "VM_DurationFilter",
                        "VM_IntonationV58", "VM_SmoothF0"}) {
    EXPECT_TRUE(RunModule(m)) << m;
  }
  EXPECT_EQ(bed_->duration.GetSize(), 0);
  EXPECT_EQ(inst_.Logged(), 1);
}

TEST_F(ProsodyTest, SmoothingSpreadsJumpsOverTheThreshold) {
  const std::vector<std::tuple<std::vector<float>, float, std::vector<float>>> cases = {
      {{1, 1, 2, 2}, 0.5f, {1, 1.5f, 2, 2}}, {{1, 2, 1}, 0.5f, {2, 1, 1}},  // a one-cell peak moves
      {{1, 1.5f, 2}, 0.5f, {1, 1.5f, 2}},    {{1, 1.5f}, 0, {1.5f, 1.5f}},
      {{0, 1, 1}, 0.5f, {0, 1, 1}},  // decided: a run from a zero cell is left alone
  };
  for (auto [cells, threshold, smoothed] : cases) {
    VM_SmoothF0::Smooth(cells.data(), static_cast<int>(cells.size()), threshold);
    testing_support::ExpectCells(cells, smoothed);
  }
}

TEST_F(ProsodyTest, APassThatContinuesTheSpeechGoesOnWithTheDurationsAndPitchOfTheWholeText) {
  const auto pass = [this](bool continues, bool more) {
    bed_->composer.text.SetContinuesSpeech(continues);
    bed_->composer.text.SetMoreSpeechFollows(more);
  };
  // The whole text kAlo.lA. has l between o and A 1.2 (1, 1.5, 1.2, 1.2, 1, 1.2, 1.5, 1); a
  // pass that continues it times its first phone from the vowel the pass before left.
  UseFont("VM_DurationTriState");
  // phones, whether the pass continues the one before, whether more follows, the factors
  const std::vector<std::tuple<const char*, bool, bool, std::vector<float>>> passes = {
      {"kAlo.", false, true, {1, 1.5f, 1.2f, 1.3f, 1}},
      {"lA.", true, false, {1.2f, 1.5f, 1}},
      {"lA.", false, false, {1, 1.5f, 1}},  // a new text starts anew
  };
  for (const auto& [phones, continues, more, factors] : passes) {
    SCOPED_TRACE(phones);
    pass(continues, more);
    Run(phones);
    Expect(factors);
  }
  // The pitch: the jump from the low end of pa. to the next pass is smoothed
  // over that pass's first cells as over the whole curve's.
  UseFont("VM_SmoothF0", "VM_SmoothF0.GapThreshold=0.1\n");
  const auto smoothed = [this](const char* phones, const Cells& cells) {
    bed_->Build(phones);
    std::copy(cells.begin(), cells.end(), bed_->intonation.GetCells());
    EXPECT_TRUE(RunModule("VM_SmoothF0"));
    return bed_->Cells();
  };
  const Cells head = Join({Repeat(1), Repeat(0.8f)}), tail = Join({Repeat(1), Repeat(1.2f)});
  pass(false, false);
  const Cells whole = smoothed("pa.pa.", Join({head, tail}));
  pass(false, true);
  // Only its last cell, which the whole curve draws toward the rise after it,
  // the pass before cannot know.
  Cells before = smoothed("pa.", head);
  EXPECT_GT(whole[9], before[9] + 0.01f);
  before[9] = whole[9];
  testing_support::ExpectCells(before, Cells(whole.begin(), whole.begin() + 10));
  pass(true, false);
  testing_support::ExpectCells(smoothed("pa.", tail), Cells(whole.begin() + 10, whole.end()));
  pass(false, false);
  Cells alone = tail;
  VM_SmoothF0::Smooth(alone.data(), static_cast<int>(alone.size()), 0.1f);
  testing_support::ExpectCells(smoothed("pa.", tail), alone);
  EXPECT_EQ(inst_.Logged(), 0);
}

TEST_F(ProsodyTest, TheGeneratorWritesSymbolsDurationsPitchPointsAndSilences) {
  // The phone text of these lines between the silences at both ends.
  const auto pho = [](const std::string& lines) { return "_ 60 (0,120)\n" + lines + "_ 60"; };
  const std::string a = "a 100 (0,120) (50,120) (100,120)\n", p = "_ 100\n";
  const std::string b = "b 100 (0,120) (50,120) (100,120)\n", quantum = "VM_GeneratorPHO.Quantum=";
  const std::vector<float> ramp = {1.0f, 1.1f, 1.2f, 1.3f, 1.4f};
  // A line of any length: 400 phones with 101 points each.
  std::string line = "a 100", lines;
  for (int pct = 0; pct <= 100; ++pct) line += " (" + std::to_string(pct) + ",120)";
  for (int i = 0; i < 400; ++i) lines += line + "\n";
  // The worked example: m 60 ms (3 cells), a 120 ms (6 cells).
  const std::vector<float> worked = {
      118.0f / 120, 1, 122.0f / 120, 125.0f / 120, 1, 130.0f / 120, 1, 1, 124.0f / 120};
  // settings, phones, the first duration factors and F0 cells, the phone text
  const std::vector<
      std::tuple<std::string, std::string, std::vector<float>, std::vector<float>, std::string>>
      cases = {
          {"",
           "ma.",
           {0.6f, 1.2f},
           worked,
           pho("m 60 (0,118) (50,120) (100,122)\na 120 (0,125) (50,130) (100,124)\n")},
          // Whole numbers rounded half to even, whatever the locale.
          {"Intonation reference=1\n",
           "a.",
           {0.6f},
           {0.5f, -0.4f, 2.5f},
           "_ 60 (0,1)\na 60 (0,0) (50,-0) (100,2)\n_ 60"},
          // A point every quantum; one of 0 or below (logged) gives the point at 0 alone.
          {quantum + "30\n", "a.", {}, ramp, pho("a 100 (0,120) (30,132) (60,144) (90,156)\n")},
          {quantum + "100\n", "a.", {}, ramp, pho("a 100 (0,120) (100,168)\n")},
          {quantum + "150\n", "a.", {}, ramp, pho("a 100 (0,120)\n")},
          {quantum + "0\n", "a.", {}, ramp, pho("a 100 (0,120)\n")},
          {quantum + "\n", "a.", {}, ramp, pho("a 100 (0,120)\n")},
          {quantum + "1\n", std::string(400, 'a') + ".", {}, {}, pho(lines)},
          // Breaks become silences, pauses and the last character write nothing.
          {"", "a_b#.", {}, {}, pho(a + b)},
          {"", "a,b!a;b/a..", {}, {}, pho(a + p + b + p + a + p + b + p + a + p)},
          {"", "", {}, {}, pho("")},
          {"", "mta.", {0.0f, 0.09f}, {}, pho("m 0\nt 0\n" + a)},  // no cells: no points
          {"", "._,.", {}, {}, ""},                                // no cell at all: no text
      };
  for (const auto& [settings, phones, factors, cells, text] : cases) {
    SCOPED_TRACE(settings + phones);
    UseFont("VM_GeneratorPHO", settings + kResources);
    // The first factors and cells given, the others 1.0.
    if (bed_->Build(phones, factors) > 0) {
      std::copy(cells.begin(), cells.end(), bed_->intonation.GetCells());
    }
    EXPECT_TRUE(RunModule("VM_GeneratorPHO"));
    EXPECT_EQ(std::get<VM_GeneratorPHO>(modules_).GetPho(), text);
  }
  EXPECT_EQ(inst_.Logged(), 2);  // the non-positive quantum, once at each set-up
  std::string symbols;
  for (const char phone : std::string("AEI7OUW!/kTq")) symbols += VM_GeneratorPHO::Symbol(phone);
  EXPECT_EQ(symbols, "aeiiouu__kTq");
}

}  // namespace
