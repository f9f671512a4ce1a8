#include "engine/shared/LexTree.h"

#include <cstring>
#include <fstream>
#include <vector>

#include "engine/shared/VDataFile.h"

namespace {
// The empty word is stored under the zero character of the first level.
const std::string& EmptyWord() {
  static const std::string word(1, '\0');
  return word;
}
}  // namespace

LexTree::~LexTree() = default;

const LexTreeNode* LexTree::FindInLevel(const LexTreeNode* first, char c) {
  for (const LexTreeNode* node = first; node != nullptr; node = node->nextSibling) {
    if (node->key == c) return node;
  }
  return nullptr;
}

LexTreeNode* LexTree::NewNode(char c) {
  if (nodes_ % kBlockNodes == 0) blocks_.push_back(std::make_unique<LexTreeNode[]>(kBlockNodes));
  LexTreeNode* node = &blocks_.back()[nodes_ % kBlockNodes];
  node->key = c;
  ++nodes_;
  return node;
}

void LexTree::Insert(const std::string& word, const std::string& value) {
  const std::string& keys = word.empty() ? EmptyWord() : word;
  // The words of a lexicon file mostly begin as the word before them does:
  // the walk starts where the two part, on the path kept from that word.
  size_t common = 0;
  while (common < keys.size() && common < lastWord_.size() && keys[common] == lastWord_[common]) {
    ++common;
  }
  lastPath_.resize(common);
  LexTreeNode* parent = common > 0 ? lastPath_.back() : &root_;
  for (size_t i = common; i < keys.size(); ++i) {
    LexTreeNode** link = &parent->firstChild;
    while (*link != nullptr && (*link)->key != keys[i]) link = &(*link)->nextSibling;
    if (*link == nullptr) *link = NewNode(keys[i]);
    parent = *link;
    lastPath_.push_back(parent);
  }
  lastWord_ = keys;
  parent->value = value;
}

int LexTree::Lookup(const std::string& word, std::string* value) const {
  const std::string& keys = word.empty() ? EmptyWord() : word;
  const LexTreeNode* node = &root_;
  for (size_t i = 0; i < keys.size(); ++i) {
    node = FindInLevel(node->firstChild, keys[i]);
    if (node == nullptr) {
      if (value != nullptr) value->clear();
      return i == 0 ? kFirstMissing : kLaterMissing;
    }
  }
  if (value != nullptr) *value = node->value;
  return kFound;
}

void LexTree::InsertLine(const std::string& line, const std::string& delimiters) {
  if (line.empty()) return;
  // The tokenizer's cut, without its copies: the word up to the first
  // delimiter (or the text's end), the value after it up to a line feed.
  const char* text = line.c_str();
  const size_t end = std::strcspn(text, delimiters.c_str());
  const char* value = text[end] != '\0' ? text + end + 1 : text + end;
  Insert(std::string(text, end), std::string(value, std::strcspn(value, "\n")));
}

void LexTree::Load(const std::string& path, const std::string& delimiters, bool enciphered) {
  std::ifstream in;
  // A path that is not a regular file is reported there; nothing is read.
  if (!VLib::OpenDataFile(path.c_str(), in, enciphered)) return;
  if (enciphered) {
    while (in.good()) {
      const auto text = VLib::ReadDataText(in, kRecordSize, true, path);
      if (text) InsertLine(*text, delimiters);
    }
    return;
  }
  // Plain lines are read whole, whatever their length.
  std::string line;
  while (std::getline(in, line)) {
    if (!in.eof() && !line.empty() && line.back() == '\r') line.pop_back();
    InsertLine(line, delimiters);
  }
}
