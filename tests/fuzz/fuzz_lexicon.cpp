// Lexicons (engine/shared/LexTree): the input's lines as a tree lexicon, a
// user lexicon and an enciphered one; every word has the value of its last line.
#include <map>

#include "engine/shared/LexTree.h"
#include "tests/fuzz/FuzzSupport.h"

static void CheckLexicon(const std::string& path, const std::vector<std::string>& lines,
                         char delimiter, bool enciphered) {
  LexTree tree;
  tree.Load(path, std::string(1, delimiter), enciphered);
  std::map<std::string, std::string> last;
  for (const std::string& whole : lines) {
    const std::string line = whole.substr(0, whole.find('\0'));
    if (line.empty()) continue;
    const size_t cut = line.find(delimiter);
    last[line.substr(0, cut)] = cut == std::string::npos ? "" : line.substr(cut + 1);
  }
  for (const auto& [word, value] : last) {
    std::string found;
    tm_fuzz::Check(tree.Lookup(word, &found) == LexTree::kFound, "every word is found");
    tm_fuzz::Check(found == value, "a word has the value of its last line");
  }
}

const tm_fuzz::Target tm_fuzz::kTarget{2, 4096, nullptr};

void tm_fuzz::FuzzOne(std::string_view bytes) {
  const std::string path = WriteScratch("lexicon.txt", bytes);
  CheckLexicon(path, Lines(bytes, true), '\t', false);
  CheckLexicon(path, Lines(bytes, true), '=', false);
  std::vector<std::string> lines = Lines(bytes);
  CheckLexicon(WriteScrambled("lexicon.lex", lines, LexTree::kRecordSize), lines, '\t', true);
}
