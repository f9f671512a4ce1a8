#include "engine/shared/LexTree.h"

#include <fstream>
#include <vector>

#include "engine/base/VStr.h"
#include "engine/shared/VDataFile.h"

LexTreeNode::~LexTreeNode() {
  // Detach everything below and beside this node onto an explicit stack, and
  // detach each popped node's own links before it is deleted, so that no
  // destructor ever runs with links left to follow.
  std::vector<std::unique_ptr<LexTreeNode>> pending;
  if (firstChild) pending.push_back(std::move(firstChild));
  if (nextSibling) pending.push_back(std::move(nextSibling));
  while (!pending.empty()) {
    std::unique_ptr<LexTreeNode> node = std::move(pending.back());
    pending.pop_back();
    if (node->firstChild) pending.push_back(std::move(node->firstChild));
    if (node->nextSibling) pending.push_back(std::move(node->nextSibling));
  }
}

LexTree::~LexTree() = default;

const LexTreeNode* LexTree::FindInLevel(const LexTreeNode* first, char c) {
  for (const LexTreeNode* node = first; node != nullptr; node = node->nextSibling.get()) {
    if (node->key == c) return node;
  }
  return nullptr;
}

void LexTree::Insert(const std::string& word, const std::string& value) {
  // The empty word is stored under the zero character of the first level.
  const std::string keys = word.empty() ? std::string(1, '\0') : word;
  LexTreeNode* parent = &root_;
  for (const char c : keys) {
    std::unique_ptr<LexTreeNode>* link = &parent->firstChild;
    while (*link && (*link)->key != c) link = &(*link)->nextSibling;
    if (!*link) {
      *link = std::make_unique<LexTreeNode>(c);
      ++nodes_;
    }
    parent = link->get();
  }
  parent->value = value;
}

int LexTree::Lookup(const std::string& word, std::string* value) const {
  const std::string keys = word.empty() ? std::string(1, '\0') : word;
  const LexTreeNode* node = &root_;
  for (size_t i = 0; i < keys.size(); ++i) {
    node = FindInLevel(node->firstChild.get(), keys[i]);
    if (node == nullptr) {
      if (value != nullptr) value->clear();
      return i == 0 ? kFirstMissing : kLaterMissing;
    }
  }
  if (value != nullptr) *value = node->value;
  return kFound;
}

void LexTree::InsertLine(const std::string& line, const std::string& delimiters) {
  // The entry is the text up to a zero byte: a line that starts with one is empty.
  const char* cursor = line.c_str();
  if (*cursor == '\0') return;
  char* word = VStr::NextToken(&cursor, delimiters.c_str());
  // Nothing left after the word (the delimiter ended the line): no value.
  char* value = VStr::NextToken(&cursor, "\n");
  Insert(word != nullptr ? word : "", value != nullptr ? value : "");
  VStr::Release(&word);
  VStr::Release(&value);
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
