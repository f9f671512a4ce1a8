// tm_englex: builds the English tree lexicon from the CMU pronouncing
// dictionary, a word list of common words, hand-written entries and the
// compiled letter-to-sound rules; shows the phones of words. See README.md.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "platform/Codepage.h"
#include "support/alphconv.h"
#include "tools/englex/EnglishLexicon.h"
#include "tools/scramble/DataFileWriter.h"
#include "tools/scramble/ScrambleTool.h"

namespace {

// Tree lexicons are read as scrambled records of this size.
constexpr int kRecordSize = 120;

int Usage() {
  std::fprintf(stderr,
               "usage: tm_englex build CMUDICT WORDLIST HAND L2S BUDGET OUTPUT\n"
               "       tm_englex phones CMUDICT HAND WORD...\n"
               "  CMUDICT   the CMU pronouncing dictionary (cmudict-en-us.dict; missing:\n"
               "            the hand-written entries only)\n"
               "  WORDLIST  words of common use, one a line (missing: every word)\n"
               "  HAND      hand-written entries: word and ARPAbet phones with stress\n"
               "  L2S       the compiled letter-to-sound rules (words they read right\n"
               "            get no entry)\n"
               "  BUDGET    the most entries written (0: no limit)\n");
  return 2;
}

// Reads the dictionary and the hand-written entries. A dictionary that
// cannot be read leaves the hand-written entries alone, with a warning; a
// malformed hand-written entry is an error.
bool ReadSources(const char* cmudict, const char* handPath,
                 std::map<std::string, englex::Pronunciation>& dict,
                 std::map<std::string, englex::Pronunciation>& hand) {
  std::string error;
  if (!englex::ReadCmuDict(cmudict, dict, error)) {
    std::fprintf(stderr, "tm_englex: %s: the lexicon holds the hand-written entries only\n",
                 error.c_str());
    dict.clear();
  }
  error.clear();
  if (!englex::ReadHandEntries(handPath, hand, error)) {
    std::fprintf(stderr, "tm_englex: %s\n", error.c_str());
    return false;
  }
  return true;
}

int Build(char** argv) {
  if (scramble::RefusesStandardOutput("tm_englex", argv[7], std::cerr)) return scramble::kExitUsage;
  std::map<std::string, englex::Pronunciation> dict, hand;
  if (!ReadSources(argv[2], argv[4], dict, hand)) return 1;
  const std::set<std::string> wordList = englex::ReadWordList(argv[3]);
  if (wordList.empty()) {
    std::fprintf(stderr, "tm_englex: %s: no word list, every dictionary word is taken\n", argv[3]);
  }
  CRuleCollection l2s(400, 1, 1);
  if (!l2s.loadFromFile(argv[5])) {
    std::fprintf(stderr, "tm_englex: cannot load %s\n", argv[5]);
    return 1;
  }
  const long budget = std::strtol(argv[6], nullptr, 10);
  const auto subset = englex::SelectWords(dict, hand, wordList);
  englex::LexiconCounts counts;
  const std::vector<std::string> entries = englex::BuildEntries(
      subset, hand, [&l2s](const std::string& word) { return l2s.convertToString(word); },
      budget > 0 ? static_cast<std::size_t>(budget) : 0,
      static_cast<std::size_t>(scramble::MaxTextLength(kRecordSize)), counts);
  std::string error;
  if (!scramble::WriteDataFile(argv[7], entries, kRecordSize, error)) {
    std::fprintf(stderr, "tm_englex: %s\n", error.c_str());
    return 1;
  }
  std::printf(
      "tm_englex: %zu words chosen, %zu read right by the rules, %zu too long, %zu over the "
      "budget; %zu entries written\n",
      counts.selected, counts.ruleRead, counts.tooLong, counts.overBudget, counts.written);
  return 0;
}

int Phones(int argc, char** argv) {
  std::map<std::string, englex::Pronunciation> dict, hand;
  if (!ReadSources(argv[2], argv[3], dict, hand)) return 1;
  const auto subset = englex::SelectWords(dict, hand, {});
  for (int i = 4; i < argc; ++i) {
    const auto found = subset.find(argv[i]);
    const std::string phones = found != subset.end() ? found->second : "?";
    std::printf("%s\t%s\n", argv[i], platform::Cp1253ToUtf8(phones).c_str());
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 8 && std::strcmp(argv[1], "build") == 0) return Build(argv);
  if (argc >= 5 && std::strcmp(argv[1], "phones") == 0) return Phones(argc, argv);
  return Usage();
}
