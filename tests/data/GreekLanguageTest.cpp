// The Greek data through the installation built from data/: the cases of
// greek_pronunciation.txt (words and sentences, their phones, stress,
// phrase breaks and types), and every word form of the hunspell Greek
// dictionary.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/composer/Tamrin.h"
#include "engine/data/FeatureNames.h"
#include "engine/data/VMLDS.h"
#include "engine/data/VTextBuffer.h"
#include "engine/interface/tmengine.h"
#include "engine/shared/TMShared.h"
#include "platform/Codepage.h"
#include "tests/modules/SpeechTestBed.h"
#include "tools/greeklex/GreekText.h"
#include "tools/greeklex/HunspellWords.h"

namespace {

constexpr const char* kCases = TM_SOURCE_DIR "/tests/data/greek_pronunciation.txt";
constexpr const char* kHunspell = "/usr/share/hunspell/el_GR";
// A font of the default chain up to the phone string, without the phone
// filter (so that an unknown character would show) and without synthesis.
constexpr const char* kPhonesFont =
    "VModuleChain.Modules=VM_FeederPre;VM_UserToGreek;VM_FilterPlain;VM_Phonemizer\n";
constexpr std::size_t kWordsPerRun = 400;

bool IsBreak(char c) { return std::string(".,;!/").find(c) != std::string::npos; }
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

// The types of the phrases that the breaks of a phone string close.
std::string Types(const std::string& phones) {
  std::string out;
  for (const char c : phones) {
    if (!IsBreak(c)) continue;
    if (!out.empty()) out += ' ';
    out += c == '.' ? "stop" : c == ';' ? "question" : c == '!' ? "exclamation" : "comma";
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

// One engine over the installation for the whole suite: the shared
// resources load once per process.
class GreekLanguage : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    install_ = new speech_testing::AssembledInstallation;
    use_ = new speech_testing::UseInstallation(*install_);
    testing_support::WriteFile(install_->path("voicefonts/phones.vof"), kPhonesFont);
    ASSERT_EQ(tmengine__LoadSharedResources(), 0);
    ASSERT_EQ(tmengine__New(&engine_), 0);
  }
  static void TearDownTestSuite() {
    tmengine__Delete(&engine_);
    tmengine__ReleaseSharedResources();
    delete use_;
    delete install_;
  }
  // The phone string (Windows-1253) that the current font makes of text.
  static std::string Phones(const std::string& utf8) {
    char* buffer = nullptr;
    long size = 0;
    EXPECT_GE(tmengine__TextToBuffer(engine_, utf8.c_str(), 1, &buffer, &size), 0) << utf8;
    tmengine__FreeBuffer(&buffer);
    return engine_->GetText()->Str();
  }

  static speech_testing::AssembledInstallation* install_;
  static speech_testing::UseInstallation* use_;
  static Tamrin* engine_;
};
speech_testing::AssembledInstallation* GreekLanguage::install_ = nullptr;
speech_testing::UseInstallation* GreekLanguage::use_ = nullptr;
Tamrin* GreekLanguage::engine_ = nullptr;

TEST_F(GreekLanguage, TheCasesReadAsTheyAreWritten) {
  std::ifstream in(kCases, std::ios::binary);
  ASSERT_TRUE(in) << kCases;
  int words = 0, exact = 0, stress = 0, sentences = 0, sentencesRight = 0;
  const bool phraseLayer = engine_->GetMLDS()->GetLayer(layers::kPhrase) != nullptr;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> f;
    std::istringstream fields(line);
    for (std::string field; std::getline(fields, field, '\t');) f.push_back(field);
    ASSERT_GE(f.size(), 3u) << line;
    SCOPED_TRACE(f[1]);
    const std::string got = platform::Cp1253ToUtf8(Tidy(Phones(f[1])));
    if (f[0] == "W") {
      const std::string word = got.substr(0, got.find_last_not_of(".") + 1);
      ++words;
      exact += word == f[2];
      stress += StressPattern(word) == StressPattern(f[2]);
      EXPECT_EQ(word, f[2]);
    } else {
      ASSERT_EQ(f.size(), 4u) << line;
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
  // Every phone and every key was found: no such line in the log, no error
  // report.
  for (const std::string& l : testing_support::ReadLines(install_->path("log.txt"))) {
    EXPECT_EQ(l.find("not found"), std::string::npos) << l;
  }
  EXPECT_FALSE(testing_support::FileExists(install_->workDir() + "/TamrinError.txt"));
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
  for (std::size_t first = 0; first < forms.size(); first += kWordsPerRun) {
    const std::size_t end = std::min(forms.size(), first + kWordsPerRun);
    std::string text;
    for (std::size_t i = first; i < end; ++i) text += forms[i] + " . ";
    const std::string phones = Phones(platform::Cp1253ToUtf8(text));
    std::size_t at = 0;
    for (std::size_t i = first; i < end; ++i) {
      const std::size_t stop = phones.find('.', at);
      ASSERT_NE(stop, std::string::npos) << platform::Cp1253ToUtf8(forms[i]);
      std::string word = phones.substr(at, stop - at);
      at = stop + 1;
      word.erase(0, word.find_first_not_of('_'));
      word.erase(word.find_last_not_of('_') + 1);
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
  }
  std::printf(
      "forms %zu: no phones %zu, unknown phones %zu; accented of two syllables or more "
      "%zu, one stressed vowel %zu; with two accents %zu\n",
      forms.size(), empty, unknown, accented, oneStress, twoAccents);
}

}  // namespace
