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
//
// The layer also keeps every node of its chain in an array by index, so
// that at() and locate() (a binary search over the spans) cost no walk along
// the links: a module that relates every syllable of a long text to its
// word stays linear.
#pragma once

#include <iterator>
#include <vector>

#include "engine/composer/VComponent.h"
#include "engine/data/_token_.h"

class VLayer : public VComponent {
 public:
  // A walk over the tokens in use, from the first to the last; it stops on
  // its own at the last token in use and never reaches a spare:
  //   for (_token_* t : layer->Tokens()) ...
  template <class Token>
  class Walk {
   public:
    class iterator {
     public:
      using iterator_category = std::forward_iterator_tag;
      using value_type = Token*;
      using difference_type = std::ptrdiff_t;
      using pointer = Token**;
      using reference = Token*;
      iterator(Token* at, const _token_* last) : at_(at), last_(last) {}
      Token* operator*() const { return at_; }
      iterator& operator++() {
        at_ = at_ == last_ ? nullptr : at_->GetNext();
        return *this;
      }
      bool operator==(const iterator& other) const { return at_ == other.at_; }
      bool operator!=(const iterator& other) const { return at_ != other.at_; }

     private:
      Token* at_;
      const _token_* last_;
    };
    Walk(Token* first, const _token_* last) : first_(first), last_(last) {}
    iterator begin() const { return iterator(first_, last_); }
    iterator end() const { return iterator(nullptr, last_); }

   private:
    Token* first_;
    const _token_* last_;
  };

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
  // spare behind the last token in use (null with a log line past the
  // chain; the root for pos <= 0).
  _token_* at(int pos);
  const _token_* at(int pos) const;
  _token_* First() { return &root_; }
  const _token_* First() const { return &root_; }
  // The last token in use (the root when the layer is empty).
  _token_* Last() { return last_; }
  const _token_* Last() const { return last_; }

  // The tokens in use, first to last (nothing for an empty layer).
  Walk<_token_> Tokens() { return Walk<_token_>(Size() > 0 ? &root_ : nullptr, last_); }
  Walk<const _token_> Tokens() const {
    return Walk<const _token_>(Size() > 0 ? &root_ : nullptr, last_);
  }
  // The token in use after t; null after the last one (and for null).
  _token_* Next(const _token_* t) const {
    return t == nullptr || t == last_ ? nullptr : t->GetNext();
  }

  // The index of the token whose span holds pos; -1 when none (an empty
  // layer, a position before the first span, after the last or in a gap).
  // Spans are taken to be in increasing order: a binary search over the
  // starts finds the last token that starts at or before pos.
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
  // Links node after the chain's current tail and indexes it.
  void Append(_token_* node);

  _token_ root_;
  // Every node of the chain by index: the root, the tokens in use, the spares.
  std::vector<_token_*> nodes_{&root_};
  _token_* last_ = &root_;
  int allocated_ = 0;
  int lastIndex_ = -1;
};
