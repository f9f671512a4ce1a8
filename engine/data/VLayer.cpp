#include "engine/data/VLayer.h"

#include <algorithm>
#include <functional>
#include <string>

#include "engine/base/Log.h"

namespace {

// Addresses into the working text are ordered with std::less, which gives a
// total order even for pointers the built-in operators may not compare.
bool Before(const char* a, const char* b) { return std::less<const char*>()(a, b); }

}  // namespace

VLayer::VLayer(const char* name, int* sizeHint)
    : VComponent(name != nullptr ? name : "__noname__layer__") {
  Reserve(sizeHint);
}

VLayer::~VLayer() {
  root_.DeleteChain();
  nodes_.assign(1, &root_);
  last_ = &root_;
  lastIndex_ = -1;
  allocated_ = 0;
}

bool VLayer::Reserve(int* sizeHint) {
  if (sizeHint == nullptr) return true;
  const int wanted = *sizeHint;
  if (wanted - Size() < 1 || allocated_ >= wanted) return true;
  while (allocated_ < wanted) Append(new _token_());
  return true;
}

void VLayer::Append(_token_* node) {
  _token_* tail = nodes_.back();
  node->SetIndex(tail->GetIndex() + 1);
  node->SetPrev(tail);
  tail->SetNext(node);
  nodes_.push_back(node);
  ++allocated_;
}

bool VLayer::Add(const _token_& token) {
  if (token.GetStart() == nullptr) return false;
  const char* features = token.GetString().c_str();
  if (lastIndex_ < 0) {
    root_.Set(token.GetStart(), token.GetEnd(), features);
    last_ = &root_;
  } else if (_token_* spare = last_->GetNext()) {
    spare->Set(token.GetStart(), token.GetEnd(), features);
    last_ = spare;
  } else {
    _token_* node = new _token_(token.GetStart(), token.GetEnd());
    node->Assign(token.GetString());
    Append(node);
    last_ = node;
  }
  ++lastIndex_;
  return true;
}

bool VLayer::Reset() {
  // Only the nodes in use hold spans; the spares behind them were cleared
  // when they last went out of use, or never held one.
  for (_token_* t : Tokens()) t->Set(nullptr, nullptr, nullptr);
  last_ = &root_;
  lastIndex_ = -1;
  return true;
}

bool VLayer::check(int pos) const {
  if (pos >= 0 && pos <= lastIndex_) return true;
  Log::Error("VLayer::check(int pos)@Invalid 'pos' pointer: [" + std::to_string(pos) + "] / [" +
             std::to_string(lastIndex_) + "]");
  return false;
}

const _token_* VLayer::at(int pos) const {
  if (pos <= 0) return &root_;
  if (static_cast<std::size_t>(pos) < nodes_.size()) return nodes_[static_cast<std::size_t>(pos)];
  return root_.at(pos);  // past the chain: logged there
}

_token_* VLayer::at(int pos) {
  return const_cast<_token_*>(static_cast<const VLayer*>(this)->at(pos));
}

char* VLayer::GetStart(int pos) const { return check(pos) ? at(pos)->GetStart() : nullptr; }

char* VLayer::GetEnd(int pos) const { return check(pos) ? at(pos)->GetEnd() : nullptr; }

bool VLayer::SetFeature(int pos, const char* name, const char* value) {
  return check(pos) && at(pos)->Set(name, value);
}

const char* VLayer::Contains(int pos, const char* text) const {
  return check(pos) ? at(pos)->Contains(text) : nullptr;
}

int VLayer::locate(const char* pos) const {
  if (lastIndex_ < 0) return -1;
  if (Before(last_->GetEnd(), pos)) return -1;
  // The first token in use that starts after pos; the one before it is the
  // candidate.
  const auto inUse = nodes_.begin() + lastIndex_ + 1;
  const auto after =
      std::upper_bound(nodes_.begin(), inUse, pos,
                       [](const char* p, const _token_* t) { return Before(p, t->GetStart()); });
  if (after == nodes_.begin()) return -1;
  const _token_* candidate = *(after - 1);
  if (Before(candidate->GetEnd(), pos)) return -1;
  return candidate->GetIndex();
}

_token_* VLayer::locateToken(const char* pos) {
  const int i = locate(pos);
  return i < 0 ? nullptr : at(i);
}

int VLayer::IndexCovering(const _token_* t) const {
  return t != nullptr ? locate(t->GetStart()) : -1;
}

_token_* VLayer::TokenCovering(const _token_* t) {
  return t != nullptr ? locateToken(t->GetStart()) : nullptr;
}

int VLayer::SetEndAt(const char* pos, char* newEnd) {
  const int i = locate(pos);
  if (i >= 0) at(i)->SetEnd(newEnd);
  return i;
}

int VLayer::CountBetween(const char* a, const char* b) const {
  const int first = locate(a);
  const int last = locate(b);
  if (first < 0 || last < 0) return 0;
  return last - first + 1;
}

_token_* VLayer::FindByFeature(_token_* from, _token_* to, const char* name, const char* value,
                               int* steps, int skipFirst) {
  if (steps != nullptr) *steps = 0;
  if (from == nullptr || to == nullptr) return nullptr;
  const int target = to->GetIndex();
  if (from->GetIndex() == target) {
    if (skipFirst == 1) return nullptr;
    return from->Is(name, value) ? from : nullptr;
  }
  const bool forward = from->GetIndex() < target;
  _token_* t = from;
  if (skipFirst == 1) t = forward ? from->GetNext() : from->GetPrev();
  for (int walked = 0; t != nullptr; ++walked) {
    if (forward ? t->GetIndex() > target : t->GetIndex() < target) break;
    if (t->Is(name, value)) {
      if (steps != nullptr) *steps = walked;
      return t;
    }
    t = forward ? t->GetNext() : t->GetPrev();
  }
  return nullptr;
}

int VLayer::LinkedNodes() const {
  int n = 0;
  for (const _token_* t = &root_; t != nullptr; t = t->GetNext()) ++n;
  return n;
}
