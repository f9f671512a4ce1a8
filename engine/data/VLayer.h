// One named layer of the multi-layer data structure ("Sentence", "Phrase",
// "Word", "Syllable"): an ordered chain of tokens over the working text.
//
// The first token lives in the layer itself (the root, index 0). Nodes
// behind the last token in use are spares: the constructor links as many as
// the size hint asks, a reset keeps every node, and Add reuses them, so a
// layer refilled at every run allocates only when it grows longer than ever
// before. A spare holds no span and no features.
//
// Positions are pointers into the working text; they are compared by
// address and never subtracted.
#pragma once

#include "engine/composer/VComponent.h"
#include "engine/data/_token_.h"

class VLayer : public VComponent {
 public:
  // name null keeps "__noname__layer__"; sizeHint (may be null) spares are
  // linked after the root.
  VLayer(const char* name, int* sizeHint);
  VLayer(const VLayer&) = delete;
  VLayer& operator=(const VLayer&) = delete;
  // Deletes every node of the chain.
  virtual ~VLayer();

  // Links spare nodes until the layer has allocated *sizeHint of them; does
  // nothing when *sizeHint - Size() < 1 or that many are allocated already.
  bool Reserve(int* sizeHint);

  // Appends a copy of the token's span and features (its links and index are
  // not used). A token without a start is refused: false, nothing changes.
  bool Add(const _token_& token);

  // Empties the layer; every node stays linked for reuse and forgets its
  // span and features.
  bool Reset();

  int Size() const { return lastIndex_ + 1; }

  // True when 0 <= pos <= the last index; otherwise an error line in the
  // engine log and false.
  bool check(int pos) const;

  // The start or end of the token at pos; null when check fails.
  char* GetStart(int pos) const;
  char* GetEnd(int pos) const;
  // Adds a feature to the token at pos; false when check fails.
  bool SetFeature(int pos, const char* name, const char* value);
  // _feature_list_::Contains on the token at pos; null when check fails.
  const char* Contains(int pos, const char* text) const;

  // The node pos links after the root, without the check: it may be a
  // spare behind the last token in use (null with a log line past the chain).
  _token_* at(int pos) { return root_.at(pos); }
  const _token_* at(int pos) const { return root_.at(pos); }
  _token_* First() { return &root_; }
  const _token_* First() const { return &root_; }
  // The last token in use (the root when the layer is empty).
  _token_* Last() { return last_; }
  const _token_* Last() const { return last_; }

  // The index of the token whose span holds pos; -1 when none (an empty
  // layer, a position before the first span, after the last or in a gap).
  // Spans are taken to be in increasing order.
  int locate(const char* pos) const;
  // The token that locate gives; null for -1.
  _token_* locateToken(const char* pos);

  // The token of this layer that holds the first character of t (a token of
  // another layer over the same text): its index, or -1 / null.
  int IndexCovering(const _token_* t) const;
  _token_* TokenCovering(const _token_* t);

  // Moves the end of the token that holds pos to newEnd; gives its index
  // (-1 and no change when no token holds pos).
  int SetEndAt(const char* pos, char* newEnd);

  // The number of tokens from the one that holds a to the one that holds b;
  // 0 when either position lies in no token.
  int CountBetween(const char* a, const char* b) const;

  // Searches the chain from `from` towards `to` (both of one layer, `to`
  // included) for the first token whose feature name has exactly value; with
  // skipFirst == 1 the search starts at from's neighbour. *steps (may be
  // null) receives the links walked from the first token examined to the
  // result, 0 when nothing is found.
  static _token_* FindByFeature(_token_* from, _token_* to, const char* name, const char* value,
                                int* steps, int skipFirst);

  // Heap nodes the layer has linked after the root (spares included).
  int AllocatedNodes() const { return allocated_; }
  // Nodes in the chain, the root included, counted link by link.
  int LinkedNodes() const;

 private:
  _token_ root_;
  _token_* last_ = &root_;
  int allocated_ = 0;
  int lastIndex_ = -1;
};
