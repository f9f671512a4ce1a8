// A lexicon: the character trie of one lexicon file, mapping words to values
// (a pronunciation, a replacement text, a tag: whatever the module that reads
// it makes of the value). Built by Load when the shared resources load and
// only read afterwards, by any number of threads.
//
// Lexicon files hold one entry a line: the word, a delimiter, then the value
// up to the end of the line (further delimiters included). A line without a
// delimiter is a word with an empty value, a line that begins with the
// delimiter gives the empty word, an empty line stores nothing, and when a
// word occurs on several lines the last one wins. Nothing is trimmed.
// Plain files are text (one carriage return before a line feed is dropped;
// lines may be of any length); enciphered files are scrambled records of
// kRecordSize bytes, each decoding to the text of one line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// One node of the trie: one character (compared as a byte) of the words that
// pass through it, the first node of the level below, the next node of the
// same level, and the value of the word that ends here. Nodes and values are
// numbers into their tree's tables, so that a node takes 16 bytes.
struct LexTreeNode {
  uint32_t firstChild = 0;   // index of the node; 0: none
  uint32_t nextSibling = 0;  // index of the node; 0: none
  uint32_t value = 0;        // 1 + index of the value; 0: the empty value
  char key = '\0';
};

class LexTree {
 public:
  // Results of Lookup.
  static constexpr int kFound = 1;
  static constexpr int kFirstMissing = -2;  // the first character is not in the tree
  static constexpr int kLaterMissing = -1;  // a later character is not found
  // The size of one scrambled record of an enciphered lexicon.
  static constexpr int kRecordSize = 120;

  LexTree() = default;
  LexTree(const LexTree&) = delete;
  LexTree& operator=(const LexTree&) = delete;
  virtual ~LexTree();

  // Walks the word's characters level by level, creating each missing node
  // at the end of its level, and gives the last node the value; a later
  // insertion of the same word replaces it. The empty word lives in a
  // first-level node keyed by the zero character.
  void Insert(const std::string& word, const std::string& value);

  // 1 when every character of the word is found level by level: *value gets
  // the last node's value (empty when the word only begins longer words);
  // -2 when the first character is missing, -1 when a later one is, *value
  // being emptied in both cases. A null value pointer is allowed.
  int Lookup(const std::string& word, std::string* value) const;

  // Fills the tree from a lexicon file, cutting each entry's word at the
  // first character of delimiters. A path that is not a regular file is
  // reported ("Error reading file " and the path) and leaves the tree as it
  // was; a scrambled record that does not decode is reported and skipped.
  void Load(const std::string& path, const std::string& delimiters, bool enciphered);

  // Inserts the entry of one line: the word up to the first delimiter, the
  // value after it up to the line's end. An empty line stores nothing.
  void InsertLine(const std::string& line, const std::string& delimiters);

  // The number of nodes below the root (a measure of the tree's size).
  size_t NodeCount() const { return nodes_.size() - 1; }

 private:
  // The node keyed c in the level that starts at node first; 0 when none.
  uint32_t FindInLevel(uint32_t first, char c) const;

  // The nodes, the root first.
  std::vector<LexTreeNode> nodes_ = std::vector<LexTreeNode>(1);
  // The values: their texts one after the other, and where each lies.
  std::string texts_;
  std::vector<std::pair<uint32_t, uint32_t>> values_;
  // The word inserted last and its nodes, level by level.
  std::string lastWord_;
  std::vector<uint32_t> lastPath_;
};
