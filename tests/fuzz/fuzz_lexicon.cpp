// Lexicons (engine/shared/LexTree): the input's lines loaded as a plain tree
// lexicon (tab), a user lexicon ('=') and an enciphered tree lexicon
// (scrambled records of its lines). Every word of the file is found with the
// value of its last line, as a plain map of the lines gives it.
#include <algorithm>
#include <map>

#include "engine/shared/LexTree.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tools/scramble/DataFileWriter.h"

namespace {

void CheckLexicon(const std::string& path, const std::vector<std::string>& lines, char delimiter,
                  bool enciphered) {
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

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  tm_fuzz::Initialize(argc, argv, {"-timeout=2", "-max_len=4096"});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tm_fuzz::NextInput();
  const std::string_view bytes = tm_fuzz::Bytes(data, size);
  std::vector<std::string> lines = tm_fuzz::Lines(bytes);
  const std::vector<std::string> plain = tm_fuzz::TextLines(bytes);
  const std::string path = tm_fuzz::WriteScratch("lexicon.txt", bytes);
  CheckLexicon(path, plain, '\t', false);
  CheckLexicon(path, plain, '=', false);

  const auto longest = static_cast<size_t>(scramble::MaxTextLength(LexTree::kRecordSize));
  for (std::string& line : lines) line.resize(std::min(line.size(), longest));
  CheckLexicon(tm_fuzz::WriteScrambled("lexicon.lex", lines, LexTree::kRecordSize), lines, '\t',
               true);
  return 0;
}
