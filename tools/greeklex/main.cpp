// tm_greeklex: builds the Greek user lexicon (accent restoration, kept
// hiatus, hand-written entries) from the hunspell Greek dictionary and the
// phonemizer's rule files. See README.md.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/Codepage.h"
#include "support/alphconv.h"
#include "tools/greeklex/HunspellWords.h"
#include "tools/greeklex/UserLexicon.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: tm_greeklex build DIC AFF RULES_DIR HAND HIATUS BUDGET OUTPUT\n"
               "  DIC, AFF   the hunspell dictionary (missing: hand entries only)\n"
               "  RULES_DIR  the compiled rule files gr_letters.rul and gr_stress.rul\n"
               "  HAND       word=value lines (UTF-8)\n"
               "  HIATUS     stems with ϊ/ϋ where the hiatus stays; !form: a glide\n"
               "  BUDGET     the most entries written\n");
  return 2;
}

// The lines of a UTF-8 file in Windows-1253, without comments and empty
// lines; false when it cannot be read.
bool ReadLines(const std::string& path, std::vector<std::string>& lines) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    lines.push_back(platform::Utf8ToCp1253(line));
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 9 || std::strcmp(argv[1], "build") != 0) return Usage();
  const std::string dic = argv[2], aff = argv[3], rules = argv[4], hand = argv[5], hiatus = argv[6],
                    output = argv[8];
  const long budget = std::strtol(argv[7], nullptr, 10);

  greeklex::LexiconSources sources;
  std::vector<std::string> lines;
  if (!ReadLines(hand, lines)) {
    std::fprintf(stderr, "tm_greeklex: cannot read %s\n", hand.c_str());
    return 1;
  }
  for (const std::string& l : lines) {
    const std::size_t eq = l.find('=');
    if (eq == std::string::npos || eq == 0) {
      std::fprintf(stderr, "tm_greeklex: %s: not word=value: %s\n", hand.c_str(),
                   platform::Cp1253ToUtf8(l).c_str());
      return 1;
    }
    sources.hand.emplace_back(l.substr(0, eq), l.substr(eq + 1));
  }
  lines.clear();
  if (!ReadLines(hiatus, lines)) {
    std::fprintf(stderr, "tm_greeklex: cannot read %s\n", hiatus.c_str());
    return 1;
  }
  for (const std::string& l : lines) {
    if (l[0] == '!') {
      sources.glideWords.insert(l.substr(1));
    } else {
      sources.hiatusStems.push_back(l);
    }
  }
  std::string error;
  sources.words = greeklex::ReadHunspellWords(dic, aff, error);
  if (!error.empty()) {
    std::fprintf(stderr, "tm_greeklex: %s: the lexicon holds the hand-written entries only\n",
                 error.c_str());
  }

  std::vector<std::unique_ptr<CRuleCollection>> chain;
  for (const char* name : {"gr_letters.rul", "gr_stress.rul"}) {
    chain.push_back(std::make_unique<CRuleCollection>(400, 1, 1));
    if (!chain.back()->loadFromFile(rules + "/" + name)) {
      std::fprintf(stderr, "tm_greeklex: cannot load %s/%s\n", rules.c_str(), name);
      return 1;
    }
  }
  // A word followed by a blank and a full stop, as the phonemizer sees it
  // inside a text.
  const auto phones = [&chain](const std::string& word) {
    std::string text = word + " .";
    for (const auto& c : chain) text = c->convertToString(text);
    return text;
  };

  greeklex::LexiconCounts counts;
  const auto lexicon = greeklex::BuildUserLexicon(
      sources, phones, budget > 0 ? static_cast<std::size_t>(budget) : 0, counts);
  // With the lexicon on standard output ("-"), the summary goes to the error
  // stream.
  if (!greeklex::WriteLexicon(lexicon, output, std::cout, error)) {
    std::fprintf(stderr, "tm_greeklex: %s\n", error.c_str());
    return 1;
  }
  std::fprintf(
      output == "-" ? stderr : stdout,
      "tm_greeklex: %zu forms, %zu keep a hiatus; of %zu accentless keys read, %zu need an "
      "entry; %zu entries written\n",
      counts.forms, counts.hiatus, counts.examined, counts.restored, counts.written);
  return 0;
}
