// Helpers of the language tests: one engine over an installation assembled
// from the build tree's data for a whole suite, the phone strings of texts
// and of long word lists, and the case files.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "engine/composer/Tamrin.h"
#include "engine/data/VTextBuffer.h"
#include "engine/interface/tmengine.h"
#include "engine/shared/TMShared.h"
#include "modules/vm_genpho.h"
#include "tests/common/Installation.h"

namespace language_testing {

// Words run through the engine at once by WordPhones.
constexpr std::size_t kWordsPerRun = 400;
// The pitch range of the synthesizer's voices, Hz.
constexpr int kLowestF0 = 40;
constexpr int kHighestF0 = 600;

inline bool IsBreak(char c) { return std::string(".,;!/").find(c) != std::string::npos; }

// The types of the phrases that the breaks of a phone string close.
inline std::string Types(const std::string& phones) {
  std::string out;
  for (const char c : phones) {
    if (!IsBreak(c)) continue;
    if (!out.empty()) out += ' ';
    out += c == '.' ? "stop" : c == ';' ? "question" : c == '!' ? "exclamation" : "comma";
  }
  return out;
}

// The cases of a case file: the tab-separated fields of every line that is
// neither empty nor a comment (starting with '#').
inline std::vector<std::vector<std::string>> CaseFields(const std::string& path) {
  std::vector<std::vector<std::string>> cases;
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in) << path;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    cases.emplace_back();
    for (std::string field; std::getline(fields, field, '\t');) cases.back().push_back(field);
  }
  return cases;
}

// The language suites of a process share one installation, put in use at
// its first call, and one load of its shared resources (the engine loads
// them once per process), released when every suite has run.
class LanguageSuite : public testing::Test {
 protected:
  static testing_support::Installation& Installation() {
    static testing_support::Installation installation;
    [[maybe_unused]] static const bool assembled = (installation.Assemble(), true);
    return installation;
  }
  // Loads the shared resources at the first call, and makes the suite's
  // engine (which reads the voice fonts of the installation as they are).
  static void Start() {
    if (!loaded_) {
      ASSERT_EQ(tmengine__LoadSharedResources(), 0);
      loaded_ = true;
      testing::AddGlobalTestEnvironment(new Release);
    }
    ASSERT_EQ(tmengine__New(&engine_), 0);
  }
  static void TearDownTestSuite() { tmengine__Delete(&engine_); }

  // The phone string (Windows-1253) that the current font makes of text.
  static std::string Phones(const std::string& utf8) {
    char* buffer = nullptr;
    long size = 0;
    EXPECT_GE(tmengine__TextToBuffer(engine_, utf8.c_str(), 1, &buffer, &size), 0) << utf8;
    tmengine__FreeBuffer(&buffer);
    return engine_->GetText()->Str();
  }

  // The pitch points (Hz) of the phone text that the current font makes of
  // text at the pitch reference `pitch`, in order; the first is the base
  // pitch of the text's first line. The reference is 1.0 again afterwards.
  static std::vector<int> PitchPoints(const std::string& utf8, double pitch = 1.0) {
    EXPECT_EQ(tmengine__SetPitchReference(engine_, pitch), 0);
    Phones(utf8);
    EXPECT_EQ(tmengine__SetPitchReference(engine_, 1.0), 0);
    const VM_GeneratorPHO* generator = VM_GeneratorPHO::Find(engine_);
    std::vector<int> points;
    std::istringstream pho(generator != nullptr ? generator->GetPho() : "");
    for (std::string item; std::getline(pho, item, '(');) {
      const std::size_t comma = item.find(',');
      if (comma != std::string::npos) points.push_back(std::atoi(item.c_str() + comma + 1));
    }
    return points;
  }

  // The phone string of each word (UTF-8) said alone, without the pauses at
  // its ends: the words go through the engine in runs, each followed by a
  // full stop. An empty string for a word the run lost.
  static std::vector<std::string> WordPhones(const std::vector<std::string>& words) {
    std::vector<std::string> out;
    for (std::size_t first = 0; first < words.size(); first += kWordsPerRun) {
      const std::size_t end = std::min(words.size(), first + kWordsPerRun);
      std::string text;
      for (std::size_t i = first; i < end; ++i) text += words[i] + " . ";
      const std::string phones = Phones(text);
      std::size_t at = 0;
      for (std::size_t i = first; i < end; ++i) {
        const std::size_t stop = phones.find('.', at);
        std::string word = stop == std::string::npos ? "" : phones.substr(at, stop - at);
        at = stop == std::string::npos ? phones.size() : stop + 1;
        word.erase(0, word.find_first_not_of('_'));
        word.erase(word.find_last_not_of('_') + 1);
        out.push_back(word);
      }
    }
    return out;
  }

  // Every word gave phones, each a phone of the table ('_' a pause).
  static void ExpectKnownPhones(const std::string& phones, const std::string& word) {
    const VSR_PhonePool* table = engine_->GetShared()->GetPhonePool();
    EXPECT_FALSE(phones.empty()) << "no phones: " << word;
    for (const char c : phones) {
      if (c != '_' && !table->getPhoneFeature(c, "phone"))
        ADD_FAILURE() << "unknown phone in " << word;
    }
  }

  // The cases of a case file read as written: the phones (as phonesOf gives
  // a text's) of each word, and of each sentence with its phrase types.
  // Without the phrase layer a conjunction gets a pause instead of a break.
  // At the end no phone or key was missing: no such log line, no report.
  static void ExpectCases(const char* path, const std::function<std::string(std::string)>& phonesOf,
                          bool phraseLayer, char pause, int leastWords, int leastSentences) {
    int words = 0, sentences = 0;
    for (std::vector<std::string> f : CaseFields(path)) {
      ASSERT_GE(f.size(), f[0] == "W" ? 3u : 4u) << f[0];
      SCOPED_TRACE(f[1]);
      const std::string got = phonesOf(f[1]);
      if (f[0] == "W") {
        ++words;
        EXPECT_EQ(got.substr(0, got.find_last_not_of('.') + 1), f[2]);
        continue;
      }
      if (!phraseLayer) {
        std::replace(f[2].begin(), f[2].end(), '/', pause);
        f[3] = Types(f[2]);
      }
      ++sentences;
      EXPECT_EQ(got, f[2]);
      EXPECT_EQ(Types(got), f[3]);
    }
    EXPECT_GE(words, leastWords);
    EXPECT_GE(sentences, leastSentences);
    for (const std::string& l : testing_support::ReadLines(Installation().path("log.txt"))) {
      EXPECT_EQ(l.find("not found"), std::string::npos) << l;
    }
    EXPECT_FALSE(testing_support::FileExists(Installation().workDir() + "/TamrinError.txt"));
  }

  // Words of one stress said as a statement and as a question (closed by
  // `questionMark`) with the current font: the statement falls to an end between 0.7 and 0.95 of
  // the base pitch, the question rises to an end 10 % above the statement's. Each row's two ends
  // are recorded as a test property.
  static void ExpectOneStressEnds(const std::vector<std::string>& words,
                                  const std::string& questionMark) {
    for (const std::string& word : words) {
      SCOPED_TRACE(word);
      const std::vector<int> statement = PitchPoints(word + ".");
      const std::vector<int> question = PitchPoints(word + questionMark);
      ASSERT_GE(statement.size(), 3u);
      ASSERT_GE(question.size(), 3u);
      const double base = statement[0];
      testing::Test::RecordProperty(word, std::to_string(statement.back()) + " Hz. " +
                                              std::to_string(question.back()) + " Hz;");
      EXPECT_LT(statement.back(), statement[1]);
      EXPECT_GE(statement.back(), 0.7 * base);
      EXPECT_LE(statement.back(), 0.95 * base);
      EXPECT_GT(question.back(), question[1]);
      EXPECT_GE(question.back(), 1.1 * statement.back());
    }
  }

  // The sentences of a case file (at least `least`) with the current font at
  // the lowest, the flat and the highest pitch: every point within the
  // synthesizer's range, a statement ending between 0.7 and 0.95 of the base
  // pitch, a question peaking below 1.6 times it, and every sentence of two
  // words or more moving by 15 % at least. The range at each pitch is
  // recorded as a test property.
  static void ExpectSentenceRanges(const char* path, int least) {
    for (const char* slider : {"0.5", "1", "2"}) {
      int lowest = kHighestF0 * 10, highest = 0, sentences = 0;
      for (const std::vector<std::string>& f : CaseFields(path)) {
        if (f[0] != "S") continue;
        const std::string& text = f[1];
        SCOPED_TRACE(text + " at pitch " + slider);
        const std::vector<int> points = PitchPoints(text, std::atof(slider));
        ASSERT_GE(points.size(), 2u);
        ++sentences;
        const double base = points[0];
        const auto [low, high] = std::minmax_element(points.begin() + 1, points.end());
        lowest = std::min(lowest, *low);
        highest = std::max(highest, *high);
        EXPECT_GE(*low, kLowestF0);
        EXPECT_LE(*high, kHighestF0);
        if (text.find(' ') != std::string::npos) {
          EXPECT_GE(*high, 1.15 * *low);
        }
        if (text.back() == '.') {
          EXPECT_GE(points.back(), 0.7 * base);
          EXPECT_LE(points.back(), 0.95 * base);
        }
        if (text.back() == ';' || text.back() == '?') {
          EXPECT_LT(*high, 1.6 * base);
        }
      }
      EXPECT_GE(sentences, least);
      testing::Test::RecordProperty(
          std::string("pitch ") + slider,
          std::to_string(lowest) + " to " + std::to_string(highest) + " Hz");
    }
  }

  static inline Tamrin* engine_ = nullptr;

 private:
  class Release : public testing::Environment {
    void TearDown() override { tmengine__ReleaseSharedResources(); }
  };
  static inline bool loaded_ = false;
};

}  // namespace language_testing
