// The Greek data through the installation built from data/: the cases of
// greek_pronunciation.txt (words and sentences, their phones, stress,
// phrase breaks and types), and every word form of the hunspell Greek
// dictionary.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/data/FeatureNames.h"
#include "engine/data/VMLDS.h"
#include "engine/shared/TMShared.h"
#include "platform/Codepage.h"
#include "tests/data/LanguageTestBed.h"
#include "tools/greeklex/GreekText.h"
#include "tools/greeklex/HunspellWords.h"

namespace {

constexpr const char* kCases = TM_SOURCE_DIR "/tests/data/greek_pronunciation.txt";
constexpr const char* kHunspell = "/usr/share/hunspell/el_GR";
// A font of the default chain up to the phone string, without the phone
// filter (so that an unknown character would show) and without synthesis.
constexpr const char* kPhonesFont =
    "VModuleChain.Modules=VM_FeederPre;VM_UserToGreek;VM_FilterPlain;VM_Phonemizer\n";

using language_testing::IsBreak;
using language_testing::Types;

bool IsVowel(char c) { return std::string("aeiouAEIOU").find(c) != std::string::npos; }
bool IsStressed(char c) { return std::string("AEIOU").find(c) != std::string::npos; }

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
    if (IsVowel(c)) out += IsStressed(c) ? 'S' : 'u';
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
  int words = 0, exact = 0, stress = 0, sentences = 0, sentencesRight = 0;
  const bool phraseLayer = engine_->GetMLDS()->GetLayer(layers::kPhrase) != nullptr;
  for (std::vector<std::string> f : language_testing::CaseFields(kCases)) {
    ASSERT_GE(f.size(), 3u) << f[0];
    SCOPED_TRACE(f[1]);
    const std::string got = platform::Cp1253ToUtf8(Tidy(Phones(f[1])));
    if (f[0] == "W") {
      const std::string word = got.substr(0, got.find_last_not_of(".") + 1);
      ++words;
      exact += word == f[2];
      stress += StressPattern(word) == StressPattern(f[2]);
      EXPECT_EQ(word, f[2]);
    } else {
      ASSERT_EQ(f.size(), 4u) << f[1];
      if (!phraseLayer) {
        // Without the phrase layer no break stands before a conjunction.
        std::replace(f[2].begin(), f[2].end(), '/', '_');
        f[3] = Types(f[2]);
      }
      ++sentences;
      sentencesRight += got == f[2] && Types(got) == f[3];
      EXPECT_EQ(got, f[2]);
      EXPECT_EQ(Types(got), f[3]);
    }
  }
  std::printf("words: %d, exact phones %d, stress on the right vowel %d; sentences: %d, right %d\n",
              words, exact, stress, sentences, sentencesRight);
  EXPECT_GE(words, 600);
  EXPECT_GE(sentences, 50);
  ExpectNothingMissing();
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
  VSR_PhonePool* table = engine_->GetShared()->GetPhonePool();
  std::size_t empty = 0, unknown = 0, accented = 0, oneStress = 0, twoAccents = 0;
  std::vector<std::string> spellings;
  for (const std::string& form : forms) spellings.push_back(platform::Cp1253ToUtf8(form));
  const std::vector<std::string> phones = WordPhones(spellings);
  for (std::size_t i = 0; i < forms.size(); ++i) {
    const std::string& word = phones[i];
    const std::string spelled = platform::Cp1253ToUtf8(forms[i]);
    if (word.empty()) ADD_FAILURE() << "no phones: " << spelled, ++empty;
    for (const char c : word) {
      if (c != '_' && !table->getPhoneFeature(c, "phone")) {
        ADD_FAILURE() << "unknown phone in " << spelled, ++unknown;
      }
    }
    const std::string pattern = StressPattern(word);
    if (!greeklex::HasAccent(greeklex::Lower(forms[i])) || pattern.size() < 2) continue;
    const std::string plain = greeklex::StripAccents(greeklex::Lower(forms[i]));
    std::size_t accents = 0;
    for (std::size_t k = 0; k < plain.size(); ++k)
      accents += plain[k] != greeklex::Lower(forms[i])[k];
    if (accents > 1) {
      ++twoAccents;  // an enclitic's second accent: two stresses are right
      continue;
    }
    ++accented;
    if (std::count(pattern.begin(), pattern.end(), 'S') == 1) {
      ++oneStress;
    } else {
      ADD_FAILURE() << "stresses " << pattern << ": " << spelled;
    }
  }
  std::printf(
      "forms %zu: no phones %zu, unknown phones %zu; accented of two syllables or more "
      "%zu, one stressed vowel %zu; with two accents %zu\n",
      forms.size(), empty, unknown, accented, oneStress, twoAccents);
}

}  // namespace
