// The English data through the installation built from data/: the data
// linter over it, the cases of english_pronunciation.txt (words, names,
// words only the letter-to-sound rules reach, sentences with their phrase
// types), every word of the English lexicon's subset of the CMU
// pronouncing dictionary, and an English question spoken to a WAVE file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "engine/base/VLib.h"
#include "engine/shared/TMShared.h"
#include "modules/vm_genpho.h"
#include "platform/Codepage.h"
#include "support/alphconv.h"
#include "tests/data/LanguageTestBed.h"
#include "tests/platform/SynthTestSupport.h"
#include "tools/datalint/DataLint.h"
#include "tools/englex/EnglishLexicon.h"
#include "tools/scramble/DataFileWriter.h"

namespace {

using language_testing::IsBreak;
using language_testing::Types;

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
  // Without the phrase layer no break stands before a conjunction.
  const bool phraseLayer = Phones("cats but dogs").find('/') != std::string::npos;
  int words = 0, sentences = 0;
  for (std::vector<std::string> f : language_testing::CaseFields(kCases)) {
    ASSERT_GE(f.size(), 3u) << f[0];
    SCOPED_TRACE(f[1]);
    const std::string got = Ipa(Phones(f[1]));
    if (f[0] == "W") {
      ++words;
      EXPECT_EQ(got.substr(0, got.find_last_not_of('.') + 1), f[2]);
    } else {
      ASSERT_EQ(f.size(), 4u) << f[1];
      if (!phraseLayer) {
        std::replace(f[2].begin(), f[2].end(), '/', ' ');
        f[3] = Types(f[2]);
      }
      ++sentences;
      EXPECT_EQ(got, f[2]);
      EXPECT_EQ(Types(got), f[3]);
    }
  }
  EXPECT_GE(words, 300);
  EXPECT_GE(sentences, 20);
  ExpectNothingMissing();
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
  VSR_PhonePool* table = engine_->GetShared()->GetPhonePool();
  std::size_t exact = 0, unknown = 0;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i].first;
    EXPECT_FALSE(phones[i].empty()) << word;
    for (const char c : phones[i]) {
      if (!table->getPhoneFeature(c, "phone"))
        ADD_FAILURE() << "unknown phone in " << word, ++unknown;
    }
    if (entered.count(word) != 0 || l2sReading(word) == words[i].second) {
      exact += phones[i] == words[i].second;
      EXPECT_EQ(Ipa(phones[i]), Ipa(words[i].second)) << word;
    }
  }
  std::printf(
      "words %zu (lexicon entries %zu, read by the rules %zu, over the budget %zu): %zu "
      "exact, %zu unknown phones\n",
      words.size(), counts.written, counts.ruleRead, counts.overBudget, exact, unknown);
}

TEST_F(EnglishLanguage, TheDataLinterFindsNothingInTheInstallation) {
  const std::vector<std::string> problems = datalint::Lint(Installation().dir());
  EXPECT_TRUE(problems.empty()) << problems.front();
}

// The lines of a phone text: symbol, duration in ms, pitch points.
struct PhoLine {
  std::string symbol;
  double ms = 0.0;
  std::vector<double> f0;
};

std::vector<PhoLine> ParsePho(const std::string& pho) {
  std::vector<PhoLine> lines;
  std::istringstream all(pho);
  for (std::string text; std::getline(all, text);) {
    std::istringstream in(text);
    PhoLine line;
    if (!(in >> line.symbol >> line.ms)) continue;
    for (std::string point; in >> point;) {
      line.f0.push_back(VLib::ParseFloat(point.substr(point.find(',') + 1)));
    }
    lines.push_back(line);
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
  const std::vector<PhoLine> lines = ParsePho(generator->GetPho());
  ASSERT_GT(lines.size(), 10u);

  // The samples are the phone text's durations, within a sample or two.
  double total = 0.0;
  for (const PhoLine& l : lines) total += l.ms;
  EXPECT_NEAR(static_cast<double>(wave.samples.size()), total * wave.rate / 1000.0, 2.0);

  // Voiced 20 ms frames; the pitch of the last 80 ms of speech above that of
  // the vowels before the last one.
  const VSR_PhonePool* table = engine_->GetShared()->GetPhonePool();
  const auto at = [&wave](double ms) { return static_cast<long>(ms * wave.rate / 1000.0); };
  std::vector<double> vowels;
  double start = 0.0, speechEnd = 0.0;
  int voiced = 0;
  for (const PhoLine& l : lines) {
    for (double t = start; t + 20.0 <= start + l.ms; t += 20.0) {
      voiced += synth_test::Periodicity(synth_test::Slice(wave.samples, at(t), at(t + 20.0))) > 0.8;
    }
    if (l.symbol != "_") {
      speechEnd = start + l.ms;
      if (table->getPhoneFeature(l.symbol[0], "vowel")) {
        vowels.push_back(
            synth_test::EstimateF0(synth_test::Slice(wave.samples, at(start), at(start + l.ms))));
      }
    }
    start += l.ms;
  }
  EXPECT_GT(voiced, 10);
  ASSERT_GT(vowels.size(), 2u);
  vowels.pop_back();
  std::sort(vowels.begin(), vowels.end());
  const double before = vowels[vowels.size() / 2];
  const double end =
      synth_test::EstimateF0(synth_test::Slice(wave.samples, at(speechEnd - 80.0), at(speechEnd)));
  EXPECT_GT(end, 1.1 * before) << "F0 at the end " << end << " Hz, of the vowels before " << before;
}

}  // namespace
