// The English data through the installation built from data/: the data
// linter over it, the cases of
// english_pronunciation.txt (words, names, words only the letter-to-sound
// rules reach, sentences with their phrase types), every word of the English
// lexicon's subset of the CMU pronouncing dictionary, and an English
// question spoken to a WAVE file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "engine/base/VLib.h"
#include "engine/composer/Tamrin.h"
#include "engine/data/VTextBuffer.h"
#include "engine/interface/tmengine.h"
#include "engine/shared/TMShared.h"
#include "modules/vm_genpho.h"
#include "platform/Codepage.h"
#include "support/alphconv.h"
#include "tests/modules/SpeechTestBed.h"
#include "tests/platform/SynthTestSupport.h"
#include "tools/datalint/DataLint.h"
#include "tools/englex/EnglishLexicon.h"
#include "tools/scramble/DataFileWriter.h"

namespace {

constexpr const char* kCases = TM_SOURCE_DIR "/tests/data/english_pronunciation.txt";
constexpr const char* kHand = TM_SOURCE_DIR "/data/lexicon/english_hand.txt";
constexpr const char* kFont = "english.vof";
// The English chain up to the phone string and its layers: the phrase layer
// puts a break before a conjunction; nothing is synthesized.
constexpr const char* kPhonesChain =
    "VModuleChain.Modules=VM_FeederPre;VM_UsEnglish;VM_FeederPost;VM_InFilter;VM_LayerSyllable;"
    "VM_LayerWord;VM_LayerPhrase;VM_LayerSentence";
constexpr const char* kPhonesFont = "english_phones.vof";
constexpr std::size_t kWordsPerRun = 400;
constexpr const char* kBreaks = ".,;!/";

bool IsBreak(char c) { return std::string(kBreaks).find(c) != std::string::npos; }

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

// One engine over the installation for the whole suite, with a font of the
// English chain up to the phone string beside the English font.
class EnglishLanguage : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    install_ = new speech_testing::AssembledInstallation;
    use_ = new speech_testing::UseInstallation(*install_);
    std::string font;
    for (const std::string& line :
         testing_support::ReadLines(install_->path(std::string("voicefonts/") + kFont))) {
      font += (line.rfind("VModuleChain.Modules=", 0) == 0 ? kPhonesChain : line) + "\n";
    }
    testing_support::WriteFile(install_->path(std::string("voicefonts/") + kPhonesFont), font);
    for (const std::string& line : testing_support::ReadLines(install_->path("phones/ipa.txt"))) {
      const std::size_t tab = line.find('\t');
      const std::string symbol = platform::Utf8ToCp1253(line.substr(0, tab));
      if (tab != std::string::npos && symbol.size() == 1) ipa_[symbol[0]] = line.substr(tab + 1);
    }
    ASSERT_EQ(tmengine__LoadSharedResources(), 0);
    ASSERT_EQ(tmengine__New(&engine_), 0);
  }
  static void TearDownTestSuite() {
    tmengine__Delete(&engine_);
    tmengine__ReleaseSharedResources();
    delete use_;
    delete install_;
  }
  void SetUp() override { ASSERT_EQ(tmengine__SelectVoiceFont(engine_, kPhonesFont), 0); }

  // The phone string (Windows-1253) that the current font makes of text.
  static std::string Phones(const std::string& utf8) {
    char* buffer = nullptr;
    long size = 0;
    EXPECT_GE(tmengine__TextToBuffer(engine_, utf8.c_str(), 1, &buffer, &size), 0) << utf8;
    tmengine__FreeBuffer(&buffer);
    return engine_->GetText()->Str();
  }
  // A phone string in IPA: a pause is a blank, a break itself.
  static std::string Ipa(const std::string& phones) {
    std::string out;
    for (const char c : phones) {
      if (c == '_' || c == '#') {
        out += ' ';
      } else if (IsBreak(c)) {
        out += c;
      } else {
        const auto found = ipa_.find(c);
        out += found != ipa_.end() ? found->second
                                   : "<" + platform::Cp1253ToUtf8(std::string(1, c)) + ">";
      }
    }
    return out;
  }

  static speech_testing::AssembledInstallation* install_;
  static speech_testing::UseInstallation* use_;
  static Tamrin* engine_;
  static std::map<char, std::string> ipa_;
};
speech_testing::AssembledInstallation* EnglishLanguage::install_ = nullptr;
speech_testing::UseInstallation* EnglishLanguage::use_ = nullptr;
Tamrin* EnglishLanguage::engine_ = nullptr;
std::map<char, std::string> EnglishLanguage::ipa_;

TEST_F(EnglishLanguage, TheCasesReadAsTheyAreWritten) {
  std::ifstream in(kCases, std::ios::binary);
  ASSERT_TRUE(in) << kCases;
  // Without the phrase layer no break stands before a conjunction.
  const bool phraseLayer = Phones("cats and dogs").find('/') != std::string::npos;
  int words = 0, sentences = 0;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> f;
    std::istringstream fields(line);
    for (std::string field; std::getline(fields, field, '\t');) f.push_back(field);
    ASSERT_GE(f.size(), 3u) << line;
    SCOPED_TRACE(f[1]);
    const std::string got = Ipa(Phones(f[1]));
    if (f[0] == "W") {
      ++words;
      EXPECT_EQ(got.substr(0, got.find_last_not_of('.') + 1), f[2]);
    } else {
      ASSERT_EQ(f.size(), 4u) << line;
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
  for (const std::string& l : testing_support::ReadLines(install_->path("log.txt"))) {
    EXPECT_EQ(l.find("not found"), std::string::npos) << l;
  }
  EXPECT_FALSE(testing_support::FileExists(install_->workDir() + "/TamrinError.txt"));
}

TEST_F(EnglishLanguage, EveryWordOfTheLexiconsSubsetGivesItsPhones) {
  std::map<std::string, englex::Pronunciation> dict, hand;
  std::string error;
  if (!englex::ReadCmuDict(TM_CMUDICT, dict, error)) GTEST_SKIP() << error;
  ASSERT_TRUE(englex::ReadHandEntries(kHand, hand, error)) << error;
  const auto subset = englex::SelectWords(dict, hand, englex::ReadWordList(TM_ENGLISH_WORDS));
  // The words the budget left out of the lexicon are read by the rules.
  CRuleCollection l2s(400, 1, 1);
  ASSERT_TRUE(l2s.loadFromFile(install_->path("rules/en_l2s.rul")));
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
  VSR_PhonePool* table = engine_->GetShared()->GetPhonePool();
  std::size_t exact = 0, unknown = 0;
  for (std::size_t first = 0; first < words.size(); first += kWordsPerRun) {
    const std::size_t end = std::min(words.size(), first + kWordsPerRun);
    std::string text;
    for (std::size_t i = first; i < end; ++i) text += words[i].first + " . ";
    const std::string phones = Phones(text);
    std::size_t at = 0;
    for (std::size_t i = first; i < end; ++i) {
      const std::string& word = words[i].first;
      const std::size_t stop = phones.find('.', at);
      ASSERT_NE(stop, std::string::npos) << word;
      std::string got = phones.substr(at, stop - at);
      at = stop + 1;
      got.erase(std::remove(got.begin(), got.end(), '_'), got.end());
      EXPECT_FALSE(got.empty()) << word;
      for (const char c : got) {
        if (!table->getPhoneFeature(c, "phone"))
          ADD_FAILURE() << "unknown phone in " << word, ++unknown;
      }
      const bool ruleRead = entered.count(word) == 0 && l2sReading(word) == words[i].second;
      if (entered.count(word) != 0 || ruleRead) {
        exact += got == words[i].second;
        EXPECT_EQ(Ipa(got), Ipa(words[i].second)) << word;
      }
    }
  }
  std::printf(
      "words %zu (lexicon entries %zu, read by the rules %zu, over the budget %zu): %zu "
      "exact, %zu unknown phones\n",
      words.size(), counts.written, counts.ruleRead, counts.overBudget, exact, unknown);
}

TEST_F(EnglishLanguage, TheDataLinterFindsNothingInTheInstallation) {
  const std::vector<std::string> problems = datalint::Lint(install_->dir());
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
  for (const std::string& text : speech_testing::SplitLines(pho)) {
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
  const std::string file = install_->workDir() + "/question.wav";
  ASSERT_EQ(tmengine_TextToFile(engine_, "Do you like music?", file.c_str()), 0);
  const speech_testing::Wave wave = speech_testing::ReadWave(file);
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
