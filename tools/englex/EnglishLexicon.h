// The English tree lexicon: the words of common use that the CMU
// pronouncing dictionary knows, with their stress placed and their phones
// in the engine's symbols, less the words that the letter-to-sound rules
// already read right.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "tools/englex/EnglishPhones.h"

namespace englex {

// Reads a pronouncing dictionary in the CMU format ("word PH PH ...", a
// second pronunciation as "word(2) ..."): the first pronunciation of every
// word of lower-case letters and apostrophes that starts with a letter.
// False, with error set, when the file cannot be read or a line holds an
// unknown phone (the error names the line).
bool ReadCmuDict(const std::string& path, std::map<std::string, Pronunciation>& words,
                 std::string& error);

// Reads the hand-written entries: UTF-8 lines "word PH PH1 PH0 ..." in the
// same notation with the stress of every vowel given (1 primary, 0 or 2
// none); '#' starts a comment line. False, with error set, when the file
// cannot be read or a line is malformed (the error names the line).
bool ReadHandEntries(const std::string& path, std::map<std::string, Pronunciation>& words,
                     std::string& error);

// Reads a word list (one word a line, as /usr/share/dict/american-english):
// the words in lower case. An empty set when the file cannot be read.
std::set<std::string> ReadWordList(const std::string& path);

// The words of the lexicon's subset with their phone strings (Windows-1253):
// every dictionary word that the word list holds (every dictionary word
// when the list is empty), its stress placed by StressedVowel, and every
// hand-written entry, which replaces the dictionary's.
std::map<std::string, std::string> SelectWords(const std::map<std::string, Pronunciation>& dict,
                                               const std::map<std::string, Pronunciation>& hand,
                                               const std::set<std::string>& wordList);

struct LexiconCounts {
  std::size_t selected = 0;    // words of the subset
  std::size_t ruleRead = 0;    // of them, read right by the rules: no entry
  std::size_t tooLong = 0;     // too long for a lexicon record: no entry
  std::size_t overBudget = 0;  // left out for the budget
  std::size_t written = 0;     // entries
};

// The lexicon entries "word<TAB>phones" (Windows-1253) of the subset: the
// words whose rule reading (l2s) differs from their phones, hand-written
// entries first, then shorter words first, at most budget entries (0: no
// limit); an entry longer than maxText characters is left out.
std::vector<std::string> BuildEntries(const std::map<std::string, std::string>& subset,
                                      const std::map<std::string, Pronunciation>& hand,
                                      const std::function<std::string(const std::string&)>& l2s,
                                      std::size_t budget, std::size_t maxText,
                                      LexiconCounts& counts);

}  // namespace englex
