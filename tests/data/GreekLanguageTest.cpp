// The Greek data through the installation built from data/: the cases of
// greek_pronunciation.txt (words and sentences, their phones, stress,
// phrase breaks and types), and every word form of the hunspell Greek
// dictionary.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/data/FeatureNames.h"
#include "engine/data/VMLDS.h"
#include "platform/Codepage.h"
#include "tests/data/LanguageTestBed.h"
#include "tools/greeklex/GreekText.h"
#include "tools/greeklex/HunspellWords.h"

namespace {

constexpr const char* kCases = TM_SOURCE_DIR "/tests/data/greek_pronunciation.txt";
constexpr const char* kHunspell = "/usr/share/hunspell/el_GR";
constexpr const char* kDefaultFont = "default.vof";
// A font of the default chain up to the phone string, without the phone
// filter (so that an unknown character would show) and without synthesis.
constexpr const char* kPhonesFont =
    "VModuleChain.Modules=VM_FeederPre;VM_UserToGreek;VM_FilterPlain;VM_Phonemizer\n";

using language_testing::IsBreak;

// The phone string as the cases write it: no pause before a break, one
// break where several stand together.
std::string Tidy(const std::string& phones) {
  std::string out;
  for (const char c : phones) {
    if (IsBreak(c) && !out.empty() && out.back() == '_') out.pop_back();
    if (IsBreak(c) && !out.empty() && IsBreak(out.back())) continue;
    out += c;
  }
  return out;
}

// The vowels of a phone string, stressed ones marked.
std::string StressPattern(const std::string& phones) {
  std::string out;
  for (const char c : phones) {
    if (std::string("aeiou").find(c) != std::string::npos) out += 'u';
    if (std::string("AEIOU").find(c) != std::string::npos) out += 'S';
  }
  return out;
}

class GreekLanguage : public language_testing::LanguageSuite {
 protected:
  static void SetUpTestSuite() {
    testing_support::WriteFile(Installation().path("voicefonts/phones.vof"), kPhonesFont);
    Start();
  }
};

TEST_F(GreekLanguage, TheCasesReadAsTheyAreWritten) {
  ExpectCases(
      kCases, [](const std::string& text) { return platform::Cp1253ToUtf8(Tidy(Phones(text))); },
      engine_->GetMLDS()->GetLayer(layers::kPhrase) != nullptr, '_', 600, 50);
}

TEST_F(GreekLanguage, EveryDictionaryFormGivesKnownPhonesAndOneStress) {
  std::string error;
  std::vector<std::string> forms = greeklex::ReadHunspellWords(
      std::string(kHunspell) + ".dic", std::string(kHunspell) + ".aff", error);
  if (forms.empty()) GTEST_SKIP() << error;
#ifdef TM_SWEEP_SAMPLE
  // Under the sanitizers a sample: every 50th form.
  for (std::size_t i = 0; i * 50 < forms.size(); ++i) forms[i] = forms[i * 50];
  forms.resize((forms.size() + 49) / 50);
#endif
  ASSERT_EQ(tmengine__SelectVoiceFont(engine_, "phones.vof"), 0);
  std::vector<std::string> spellings;
  for (const std::string& form : forms) spellings.push_back(platform::Cp1253ToUtf8(form));
  const std::vector<std::string> phones = WordPhones(spellings);
  for (std::size_t i = 0; i < forms.size(); ++i) {
    ExpectKnownPhones(phones[i], spellings[i]);
    const std::string lower = greeklex::Lower(forms[i]);
    const std::string plain = greeklex::StripAccents(lower);
    std::size_t accents = 0;
    for (std::size_t k = 0; k < plain.size(); ++k) accents += plain[k] != lower[k];
    // An enclitic's second accent: two stresses are right.
    const std::string pattern = StressPattern(phones[i]);
    if (greeklex::HasAccent(lower) && accents == 1 && pattern.size() >= 2 &&
        std::count(pattern.begin(), pattern.end(), 'S') != 1)
      ADD_FAILURE() << "stresses " << pattern << ": " << spellings[i];
  }
}

TEST_F(GreekLanguage, OneStressQuestionsRiseAndStatementsFallAtTheirEnd) {
  ASSERT_EQ(tmengine__SelectVoiceFont(engine_, kDefaultFont), 0);
  ExpectOneStressEnds({"Κατάλαβες", "Εσύ", "Τώρα", "Θάλασσα", "Ναι", "Καλημέρα", "Έλα", "Σωστά",
                       "Αύριο", "Ελλάδα", "Μαμά", "Πάλι"},
                      ";");
}

TEST_F(GreekLanguage, TheSentencesMoveWithinTheVoicesRangeAtEveryPitch) {
  ASSERT_EQ(tmengine__SelectVoiceFont(engine_, kDefaultFont), 0);
  ExpectSentenceRanges(kCases, 60);
}

}  // namespace
