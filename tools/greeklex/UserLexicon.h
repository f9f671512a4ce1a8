// Builds the Greek user lexicon (plain "word=value" lines, Windows-1253)
// from the word forms of a dictionary and hand-written entries:
//   - accent restoration: a word written without its accents (capitals,
//     lower case typed without them) gets its accented form, when the
//     accentless form is not itself a word and the phonemizer's default
//     stress would read it otherwise;
//   - kept hiatus: a learned word whose ι, ει, οι or υ before a vowel is
//     no glide is spelled with ϊ or ϋ there (θεωρία needs nothing,
//     κύριος -> κύρϊος, διεύθυνση -> δϊεύθυνση);
//   - the hand-written entries (abbreviations, loans, respellings), which
//     win over the others.
#pragma once

#include <functional>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace greeklex {

struct LexiconSources {
  std::vector<std::string> words;  // dictionary forms, any case
  // key=value lines (Windows-1253): taken as they are.
  std::vector<std::pair<std::string, std::string>> hand;
  // Stems of learned words (lower case, without accents) with ϊ or ϋ where
  // the hiatus is kept: every form that starts with the stem keeps it there.
  std::vector<std::string> hiatusStems;
  // Forms read with the glide although their family keeps the hiatus
  // elsewhere (ήλιος beside ηλίου).
  std::set<std::string> glideWords;
};

struct LexiconCounts {
  std::size_t forms = 0;     // distinct lower-case forms read
  std::size_t hiatus = 0;    // forms that keep a hiatus
  std::size_t examined = 0;  // accentless keys read within the budget
  std::size_t restored = 0;  // of them, keys that need an entry
  std::size_t written = 0;   // entries written (within the budget)
};

// phones: the phone string that the phonemizer makes of a word (lower case,
// accents as written). budget: the most entries to write; the hand entries
// always go in, then the forms that keep a hiatus, then the accentless keys
// with the shortest words first (rare endings last).
std::map<std::string, std::string> BuildUserLexicon(
    const LexiconSources& sources, const std::function<std::string(const std::string&)>& phones,
    std::size_t budget, LexiconCounts& counts);

// Writes the lexicon as "key=value" lines to output: through a temporary
// file beside it, renamed when complete, or to out when output is "-"
// (standard output). False, with error set and no temporary file left,
// when it cannot be written.
bool WriteLexicon(const std::map<std::string, std::string>& lexicon, const std::string& output,
                  std::ostream& out, std::string& error);

}  // namespace greeklex
