#include "tools/englex/EnglishLexicon.h"

#include <algorithm>
#include <fstream>

#include "tools/englex/EnglishStress.h"

namespace englex {

namespace {

bool IsWord(const std::string& w) {
  if (w.empty() || w[0] < 'a' || w[0] > 'z') return false;
  return std::all_of(w.begin(), w.end(),
                     [](char c) { return (c >= 'a' && c <= 'z') || c == '\''; });
}

std::string Lower(std::string s) {
  for (char& c : s) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

// Reads "word phones" lines. With requireStress (hand-written entries) every
// line must be a word whose vowels all carry their digit, and a later line
// replaces an earlier one; otherwise lines of other words are passed over
// and the first pronunciation of a word is kept.
bool ReadPronunciations(const std::string& path, bool requireStress,
                        std::map<std::string, Pronunciation>& words, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = path + ": cannot be read";
    return false;
  }
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const std::size_t blank = line.find(' ');
    const std::string word = line.substr(0, blank);
    if (!IsWord(word)) {
      if (requireStress) {
        error = path + ":" + std::to_string(number) + ": not a word in lower case: " + word;
        return false;
      }
      continue;  // a second pronunciation, or a word with other characters
    }
    Pronunciation phones;
    std::string reason;
    const std::string rest = blank == std::string::npos ? "" : line.substr(blank + 1);
    if (!ParsePronunciation(rest, phones, reason) || phones.empty()) {
      error = path + ":" + std::to_string(number) + ": " + (reason.empty() ? "no phones" : reason);
      return false;
    }
    if (requireStress) {
      const std::size_t digits = std::count(rest.begin(), rest.end(), '0') +
                                 std::count(rest.begin(), rest.end(), '1') +
                                 std::count(rest.begin(), rest.end(), '2');
      const std::size_t vowels = std::count_if(
          phones.begin(), phones.end(), [](const ArpaPhone& p) { return IsArpaVowel(p.name); });
      if (digits != vowels) {
        error = path + ":" + std::to_string(number) + ": every vowel needs its stress digit";
        return false;
      }
      words[word] = phones;
    } else {
      words.emplace(word, phones);
    }
  }
  return true;
}

}  // namespace

bool ReadCmuDict(const std::string& path, std::map<std::string, Pronunciation>& words,
                 std::string& error) {
  return ReadPronunciations(path, false, words, error);
}

bool ReadHandEntries(const std::string& path, std::map<std::string, Pronunciation>& words,
                     std::string& error) {
  return ReadPronunciations(path, true, words, error);
}

std::set<std::string> ReadWordList(const std::string& path) {
  std::set<std::string> words;
  std::ifstream in(path, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) words.insert(Lower(line));
  }
  return words;
}

std::map<std::string, std::string> SelectWords(const std::map<std::string, Pronunciation>& dict,
                                               const std::map<std::string, Pronunciation>& hand,
                                               const std::set<std::string>& wordList) {
  std::map<std::string, std::string> subset;
  for (const auto& [word, phones] : dict) {
    if (!wordList.empty() && wordList.count(word) == 0) continue;
    subset[word] = ToPhoneString(WithStress(word, phones));
  }
  for (const auto& [word, phones] : hand) subset[word] = ToPhoneString(phones);
  return subset;
}

std::vector<std::string> BuildEntries(const std::map<std::string, std::string>& subset,
                                      const std::map<std::string, Pronunciation>& hand,
                                      const std::function<std::string(const std::string&)>& l2s,
                                      std::size_t budget, std::size_t maxText,
                                      LexiconCounts& counts) {
  counts = LexiconCounts{};
  counts.selected = subset.size();
  std::vector<std::pair<std::string, std::string>> needed;
  for (const auto& [word, phones] : subset) {
    if (l2s && l2s(word) == phones) {
      ++counts.ruleRead;
      continue;
    }
    if (word.size() + 1 + phones.size() > maxText) {
      ++counts.tooLong;
      continue;
    }
    needed.emplace_back(word, phones);
  }
  std::stable_sort(needed.begin(), needed.end(), [&hand](const auto& a, const auto& b) {
    const bool ha = hand.count(a.first) != 0, hb = hand.count(b.first) != 0;
    if (ha != hb) return ha;
    return a.first.size() < b.first.size();
  });
  if (budget > 0 && needed.size() > budget) {
    counts.overBudget = needed.size() - budget;
    needed.resize(budget);
  }
  std::vector<std::string> entries;
  entries.reserve(needed.size());
  for (const auto& [word, phones] : needed) entries.push_back(word + "\t" + phones);
  counts.written = entries.size();
  return entries;
}

}  // namespace englex
