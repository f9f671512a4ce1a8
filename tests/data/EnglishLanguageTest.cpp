// The English data through the installation built from data/: the cases of
// english_pronunciation.txt (words, names, words only the letter-to-sound rules reach, sentences
// with their phrase types), every word of the English lexicon's subset of the CMU pronouncing
// dictionary, and an English question spoken to a WAVE file.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "modules/vm_genpho.h"
#include "platform/Codepage.h"
#include "support/alphconv.h"
#include "tests/data/LanguageTestBed.h"
#include "tests/platform/SynthTestSupport.h"
#include "tools/englex/EnglishLexicon.h"
#include "tools/scramble/DataFileWriter.h"

namespace {

using language_testing::IsBreak;

constexpr const char* kCases = TM_SOURCE_DIR "/tests/data/english_pronunciation.txt";
constexpr const char* kHand = TM_SOURCE_DIR "/data/lexicon/english_hand.txt";
constexpr const char* kFont = "english.vof";
// The English chain up to the phone string and its layers: the phrase layer
// puts a break before a conjunction; nothing is synthesized.
constexpr const char* kPhonesChain =
    "VModuleChain.Modules=VM_FeederPre;VM_UsEnglish;VM_FeederPost;VM_InFilter;VM_LayerSyllable;"
    "VM_LayerWord;VM_LayerPhrase;VM_LayerSentence";
constexpr const char* kPhonesFont = "english_phones.vof";

// The English font with the chain up to the phone string beside the English
// font, and the IPA of the phone symbols.
class EnglishLanguage : public language_testing::LanguageSuite {
 protected:
  static void SetUpTestSuite() {
    const std::string fonts = Installation().path("voicefonts/");
    std::string font;
    for (const std::string& line : testing_support::ReadLines(fonts + kFont)) {
      font += (line.rfind("VModuleChain.Modules=", 0) == 0 ? kPhonesChain : line) + "\n";
    }
    testing_support::WriteFile(fonts + kPhonesFont, font);
    for (const std::string& line :
         testing_support::ReadLines(Installation().path("phones/ipa.txt"))) {
      const std::size_t tab = line.find('\t');
      const std::string symbol = platform::Utf8ToCp1253(line.substr(0, tab));
      if (tab != std::string::npos && symbol.size() == 1) ipa_[symbol[0]] = line.substr(tab + 1);
    }
    Start();
  }
  void SetUp() override { ASSERT_EQ(tmengine__SelectVoiceFont(engine_, kPhonesFont), 0); }

  // A phone string in IPA: a pause is a blank, a break itself.
  static std::string Ipa(const std::string& phones) {
    std::string out;
    for (const char c : phones) {
      const auto found = ipa_.find(c);
      if (c == '_' || c == '#') {
        out += ' ';
      } else if (IsBreak(c) || found == ipa_.end()) {
        out += c;
      } else {
        out += found->second;
      }
    }
    return out;
  }

  static inline std::map<char, std::string> ipa_;
};

TEST_F(EnglishLanguage, TheCasesReadAsTheyAreWritten) {
  ExpectCases(
      kCases, [](const std::string& text) { return Ipa(Phones(text)); },
      Phones("cats but dogs").find('/') != std::string::npos, ' ', 300, 20);
}

TEST_F(EnglishLanguage, EveryWordOfTheLexiconsSubsetGivesItsPhones) {
  std::map<std::string, englex::Pronunciation> dict, hand;
  std::string error;
  if (!englex::ReadCmuDict(TM_CMUDICT, dict, error)) GTEST_SKIP() << error;
  ASSERT_TRUE(englex::ReadHandEntries(kHand, hand, error)) << error;
  const auto subset = englex::SelectWords(dict, hand, englex::ReadWordList(TM_ENGLISH_WORDS));
  // The words the budget left out of the lexicon are read by the rules.
  CRuleCollection l2s(400, 1, 1);
  ASSERT_TRUE(l2s.loadFromFile(Installation().path("rules/en_l2s.rul")));
  englex::LexiconCounts counts;
  const auto l2sReading = [&l2s](const std::string& w) { return l2s.convertToString(w); };
  std::set<std::string> entered;
  for (const std::string& entry :
       englex::BuildEntries(subset, hand, l2sReading, TM_ENGLISH_LEXICON_BUDGET,
                            static_cast<std::size_t>(scramble::MaxTextLength(120)), counts)) {
    entered.insert(entry.substr(0, entry.find('\t')));
  }
  std::vector<std::pair<std::string, std::string>> words(subset.begin(), subset.end());
#ifdef TM_SWEEP_SAMPLE
  // Under the sanitizers a sample: every 25th word.
  for (std::size_t i = 0; i * 25 < words.size(); ++i) words[i] = words[i * 25];
  words.resize((words.size() + 24) / 25);
#endif
  std::vector<std::string> spellings;
  for (const auto& w : words) spellings.push_back(w.first);
  const std::vector<std::string> phones = WordPhones(spellings);
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i].first;
    ExpectKnownPhones(phones[i], word);
    if (entered.count(word) != 0 || l2sReading(word) == words[i].second) {
      EXPECT_EQ(Ipa(phones[i]), Ipa(words[i].second)) << word;
    }
  }
}

// The symbol and the duration in ms of each line of a phone text.
std::vector<std::pair<std::string, double>> ParsePho(const std::string& pho) {
  std::vector<std::pair<std::string, double>> lines;
  std::istringstream all(pho);
  for (std::string text; std::getline(all, text);) {
    std::istringstream in(text);
    std::pair<std::string, double> line;
    if (in >> line.first >> line.second) lines.push_back(line);
  }
  return lines;
}

TEST_F(EnglishLanguage, AnEnglishQuestionIsSpokenAndRisesAtTheEnd) {
  ASSERT_EQ(tmengine__SelectVoiceFont(engine_, kFont), 0);
  const std::string file = Installation().workDir() + "/question.wav";
  ASSERT_EQ(tmengine_TextToFile(engine_, "Do you like music?", file.c_str()), 0);
  const synth_test::Wave wave = synth_test::ReadWave(file);
  ASSERT_TRUE(wave.ok);
  ASSERT_EQ(wave.rate, 22050u);
  const VM_GeneratorPHO* generator = VM_GeneratorPHO::Find(engine_);
  ASSERT_NE(generator, nullptr);
  const auto lines = ParsePho(generator->GetPho());
  ASSERT_GT(lines.size(), 10u);
  // The samples are the phone text's durations, within a sample or two; the
  // pitch of the last 80 ms of speech is above that of the vowels before
  // the last one.
  const VSR_PhonePool* table = engine_->GetShared()->GetPhonePool();
  const auto at = [&wave](double ms) { return static_cast<long>(ms * wave.rate / 1000.0); };
  std::vector<double> vowels;
  double start = 0.0, speechEnd = 0.0;
  for (const auto& [symbol, ms] : lines) {
    if (symbol != "_") speechEnd = start + ms;
    if (symbol != "_" && table->getPhoneFeature(symbol[0], "vowel"))
      vowels.push_back(
          synth_test::EstimateF0(synth_test::Slice(wave.samples, at(start), at(start + ms))));
    start += ms;
  }
  EXPECT_NEAR(static_cast<double>(wave.samples.size()), start * wave.rate / 1000.0, 2.0);
  ASSERT_GT(vowels.size(), 2u);
  vowels.pop_back();
  std::sort(vowels.begin(), vowels.end());
  const double before = vowels[vowels.size() / 2];
  const double end =
      synth_test::EstimateF0(synth_test::Slice(wave.samples, at(speechEnd - 80.0), at(speechEnd)));
  EXPECT_GT(end, 1.1 * before) << "F0 at the end " << end << " Hz, of the vowels before " << before;
}

TEST_F(EnglishLanguage, OneStressQuestionsRiseAndStatementsFallAtTheirEnd) {
  ASSERT_EQ(tmengine__SelectVoiceFont(engine_, kFont), 0);
  ExpectOneStressEnds({"Really", "Tomorrow", "Again", "Yes", "Now", "Hello", "Seven", "London"},
                      "?");
}

TEST_F(EnglishLanguage, TheSentencesMoveWithinTheVoicesRangeAtEveryPitch) {
  ASSERT_EQ(tmengine__SelectVoiceFont(engine_, kFont), 0);
  ExpectSentenceRanges(kCases, 20);
}

}  // namespace
