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

uint32_t LexTree::FindInLevel(uint32_t first, char c) const {
  for (uint32_t node = first; node != 0; node = nodes_[node].nextSibling) {
    if (nodes_[node].key == c) return node;
  }
  return 0;
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
  uint32_t parent = common > 0 ? lastPath_.back() : 0;
  for (size_t i = common; i < keys.size(); ++i) {
    // The node of this character in its level, or a new one at the level's
    // end (the root is nobody's sibling, so 0 means "no node before").
    uint32_t before = 0;
    uint32_t node = nodes_[parent].firstChild;
    while (node != 0 && nodes_[node].key != keys[i]) {
      before = node;
      node = nodes_[node].nextSibling;
    }
    if (node == 0) {
      node = static_cast<uint32_t>(nodes_.size());
      nodes_.emplace_back();
      nodes_[node].key = keys[i];
      (before == 0 ? nodes_[parent].firstChild : nodes_[before].nextSibling) = node;
    }
    parent = node;
    lastPath_.push_back(parent);
  }
  lastWord_ = keys;
  if (value.empty()) {
    nodes_[parent].value = 0;
    return;
  }
  values_.emplace_back(static_cast<uint32_t>(texts_.size()), static_cast<uint32_t>(value.size()));
  texts_ += value;
  nodes_[parent].value = static_cast<uint32_t>(values_.size());
}

int LexTree::Lookup(const std::string& word, std::string* value) const {
  const std::string& keys = word.empty() ? EmptyWord() : word;
  uint32_t node = 0;
  for (size_t i = 0; i < keys.size(); ++i) {
    node = FindInLevel(nodes_[node].firstChild, keys[i]);
    if (node == 0) {
      if (value != nullptr) value->clear();
      return i == 0 ? kFirstMissing : kLaterMissing;
    }
  }
  if (value != nullptr) {
    const uint32_t v = nodes_[node].value;
    if (v == 0) {
      value->clear();
    } else {
      value->assign(texts_, values_[v - 1].first, values_[v - 1].second);
    }
  }
  return kFound;
}

void LexTree::InsertLine(const std::string& line, const std::string& delimiters) {
  // The entry is the text up to a zero byte: a line that starts with one is empty.
  const char* text = line.c_str();
  if (*text == '\0') return;
  // The tokenizer's cut, without its copies: the word up to the first
  // delimiter (or the text's end), the value after it up to a line feed.
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
