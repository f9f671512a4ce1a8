#include "engine/data/VIntonation.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>
#include <new>
#include <string>
#include <vector>

#include "engine/base/Log.h"
#include "engine/base/VLib.h"
#include "engine/base/VStr.h"
#include "engine/composer/VCharacter.h"
#include "engine/data/VDuration.h"
#include "engine/data/VTextBuffer.h"
#include "engine/data/_token_.h"
#include "engine/shared/TMShared.h"

namespace {

// The whole number of quanta in a duration; a negative duration has none.
int QuantaIn(float duration, int quantum) {
  const float q = duration / static_cast<float>(quantum);
  if (!(q > 0.0f)) return 0;
  if (q >= static_cast<float>(INT_MAX)) return INT_MAX;
  return static_cast<int>(q);
}

// The labels of a target movement: texts separated by single blanks, the
// list ending at its first empty item.
std::vector<std::string> SplitLabels(const char* labels) {
  std::vector<std::string> out;
  const char* cursor = labels;
  for (char* item = VStr::NextToken(&cursor, " "); item != nullptr;
       item = VStr::NextToken(&cursor, " ")) {
    const bool empty = item[0] == '\0';
    if (!empty) out.emplace_back(item);
    VStr::Release(&item);
    if (empty) break;
  }
  return out;
}

std::string Place(int line) {
  return std::string(VIntonation::kSourcePath) + ":" + std::to_string(line);
}

}  // namespace

VIntonation::VIntonation() : VComponent("VIntonation") { SetValue(kDefaultTimeQuantum); }

VIntonation::~VIntonation() = default;

bool VIntonation::AllocateLinks(std::size_t count) {
  try {
    links_.assign(count, _link_());
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

bool VIntonation::AllocateCells(std::size_t count) {
  try {
    cells_.assign(count, 1.0f);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

void VIntonation::Clear() {
  links_.clear();
  hasLinks_ = false;
  cells_.clear();
  cursor_ = -1;
}

int VIntonation::Prepare() {
  if (IsPrepared()) return kPrepared;
  VComposer* composer = GetComposer();
  if (composer == nullptr) {
    VLib::ReportError("VIntonation::Prepare");
    return kNoComposer;
  }
  Clear();

  int quantum = 0;
  VDuration* duration = composer->GetDuration();
  bool& reported = duration != nullptr ? duration->QuantumReported() : quantumReported_;
  if (!ReadQuantumAndReference(composer->GetCharacter(), "VIntonation", kReferenceKey, quantum,
                               reference_, reported)) {
    return kBadTimeQuantum;
  }
  SetValue(quantum);

  if (duration != nullptr) duration->Finalise();

  const VTextBuffer* buffer = composer->GetText();
  const int length = buffer != nullptr ? buffer->GetLength() : 0;
  if (length == 0) {
    // Built over an empty text: links exist, there are none of them.
    hasLinks_ = true;
    return kEmptyText;
  }
  if (!AllocateLinks(static_cast<std::size_t>(length))) {
    links_.clear();
    Log::Error2("VIntonation::Prepare()", "new _link_[len] failed");
    return kLinksFailed;
  }
  hasLinks_ = true;
  const char* text = buffer->GetText();
  for (int i = 0; i < length; ++i) links_[static_cast<std::size_t>(i)].start = text + i;

  double total = duration != nullptr ? static_cast<double>(duration->TotalOfPhones()) : 0.0;
  total = std::min(total, static_cast<double>(INT_MAX));
  const int cellCount = static_cast<int>(total) / quantum;

  if (static_cast<int>(total) > 0 && !AllocateCells(static_cast<std::size_t>(cellCount))) {
    cells_.clear();
    Log::Error2("VIntonation::Prepare()", "new float[cells] failed");
    return kCellsFailed;
  }

  // Each phone takes the next whole quanta of its duration; the walk stays
  // within the cells whatever the durations say.
  TMShared* shared = composer->GetShared();
  const VSR_PhonePool* pool = shared != nullptr ? shared->GetPhonePool() : nullptr;
  const int durations = duration != nullptr ? duration->GetSize() : 0;
  int k = 0;
  for (int i = 0; i < length; ++i) {
    _link_& link = links_[static_cast<std::size_t>(i)];
    if (pool == nullptr || !pool->getPhoneFeature(text[i], "phone")) continue;
    const float ms = i < durations ? duration->Get(i) : 0.0f;
    const int n = std::min(QuantaIn(ms, quantum), GetCellCount() - k);
    link.first = k;
    k += n;
    link.last = k - 1;
  }

  if (static_cast<int>(total) <= 0) return kNoDuration;
  SetPrepared(true);
  return kPrepared;
}

int VIntonation::SetFlat() {
  if (Prepare() < 1) return 0;
  const float base = static_cast<float>(GetBaseF0());
  for (const _link_& link : links_) {
    for (int c = link.first; link.IsPhone() && c <= link.last; ++c) {
      cells_[static_cast<std::size_t>(c)] *= base;
    }
  }
  return 1;
}

int VIntonation::GetBaseF0() const { return VLib::TruncatedProduct(reference_, GetScale()); }

int VIntonation::Reset() {
  SetPrepared(false);
  quantumReported_ = false;
  return 1;
}

const _link_* VIntonation::GetLink(int i) const {
  if (i < 0 || i >= GetSize()) return nullptr;
  return &links_[static_cast<std::size_t>(i)];
}

int VIntonation::LowestAtOrAfter(const char* pos) const {
  // The link characters follow one another in the text, so their positions
  // rise with the index.
  const std::less<const char*> before;
  const auto it = std::lower_bound(
      links_.begin(), links_.end(), pos,
      [&before](const _link_& link, const char* p) { return before(link.start, p); });
  return static_cast<int>(it - links_.begin());
}

int VIntonation::IndexAt(const char* pos) const {
  const int i = LowestAtOrAfter(pos);
  if (i >= GetSize() || links_[static_cast<std::size_t>(i)].start != pos) return -1;
  return i;
}

float* VIntonation::CellsAt(const char* pos, int* count) {
  if (count != nullptr) *count = 0;
  const _link_* link = GetLink(IndexAt(pos));
  if (link == nullptr || !link->IsPhone()) return nullptr;
  if (count != nullptr) *count = link->CellCount();
  // A phone without cells gives the place where its cells would start.
  return cells_.empty() ? nullptr : cells_.data() + link->first;
}

float* VIntonation::CellAtPercent(const char* pos, int pct) {
  const int index = IndexAt(pos);
  if (index < 0) return GetCursor();
  const _link_& link = links_[static_cast<std::size_t>(index)];
  const int n = link.CellCount();
  if (n <= 0) return nullptr;
  pct = std::clamp(pct, 0, 100);
  return cells_.data() + link.first + ((n - 1) * pct) / 100;
}

std::string VIntonation::TextFrom(const char* pos) const {
  VComposer* composer = PeekComposer();
  const VTextBuffer* buffer = composer != nullptr ? composer->GetText() : nullptr;
  if (pos == nullptr || buffer == nullptr) return std::string();
  const char* begin = buffer->GetText();
  const char* end = begin + buffer->GetLength();
  const std::less<const char*> before;
  if (before(pos, begin) || before(end, pos)) return std::string();
  return std::string(pos, static_cast<std::size_t>(end - pos));
}

bool VIntonation::CheckedRange(const char* from, const char* to, int* first, int* last) {
  if (!hasLinks_) {
    VLib::ReportError(Place(kNoLinksLine) + "\n\tError: m_links are NULL");
    return false;
  }
  const int size = GetSize();
  if (size == 0) {
    VLib::ReportError(Place(kNoSizeLine) + "\n\tError: m_size is 0");
    return false;
  }
  const int l_s = LowestAtOrAfter(from);
  const int l_e = LowestAtOrAfter(to);
  if (l_s < size && l_e < size && l_e >= l_s) {
    if (first != nullptr) *first = l_s;
    if (last != nullptr) *last = l_e;
    return true;
  }
  VLib::ReportError(Place(kBadRangeLine) + "\n\tm_size=" + std::to_string(size) +
                    "\n\tl_s=" + std::to_string(l_s) + "\n\tl_e=" + std::to_string(l_e) + "\n\t" +
                    TextFrom(from) + "\n\t" + TextFrom(to));
  return false;
}

void VIntonation::SetCursor(int cell) {
  cursor_ = (cell >= 0 && cell < GetCellCount()) ? cell : -1;
}

float* VIntonation::GetCursor() {
  return cursor_ >= 0 && cursor_ < GetCellCount() ? cells_.data() + cursor_ : nullptr;
}

float VIntonation::CurrentValue() const {
  return cursor_ >= 0 && cursor_ < GetCellCount() ? cells_[static_cast<std::size_t>(cursor_)]
                                                  : 1.0f;
}

void VIntonation::MultiplyRange(const char* from, const char* to, const float* factor,
                                bool setCursor) {
  int first = 0;
  int last = 0;
  if (!CheckedRange(from, to, &first, &last) || factor == nullptr) return;
  for (int i = first; i <= last; ++i) {
    const _link_& link = links_[static_cast<std::size_t>(i)];
    for (int c = link.first; link.IsPhone() && c <= link.last; ++c) {
      cells_[static_cast<std::size_t>(c)] *= *factor;
    }
  }
  if (setCursor) {
    const _link_& end = links_[static_cast<std::size_t>(last)];
    // The cell before the last character's first cell; none before cell 0.
    SetCursor(end.IsPhone() ? end.first - 1 : -1);
  }
}

void VIntonation::ApplyContour(const char* from, const char* to, const _contour_* contour,
                               bool joinPrevious, bool joinNext) {
  if (!hasLinks_ || links_.empty()) return;
  int first = 0;
  int last = 0;
  if (!CheckedRange(from, to, &first, &last)) return;
  if (contour == nullptr || contour->Points() < 1) return;

  // The range's cells: from the first cell of its first phone to the last
  // cell of its last phone.
  int lo = -1;
  int hi = -1;
  for (int i = first; i <= last; ++i) {
    const _link_& link = links_[static_cast<std::size_t>(i)];
    if (!link.IsPhone()) continue;
    if (lo < 0) lo = link.first;
    hi = link.last;
  }
  const int T = lo < 0 ? 0 : hi - lo + 1;
  if (T <= 0) return;

  // The joins change a copy: the caller's factors stay as they are.
  const int count = contour->Points();
  std::vector<float> x(contour->x.begin(), contour->x.begin() + count);
  std::vector<float> y(contour->y.begin(), contour->y.begin() + count);
  if (joinPrevious && lo > 0) y[0] *= cells_[static_cast<std::size_t>(lo - 1)];
  if (joinNext && hi + 1 < GetCellCount()) {
    y[static_cast<std::size_t>(count - 1)] *= cells_[static_cast<std::size_t>(hi + 1)];
  }
  if (count < 2) {
    SetCursor(lo - 1);
    return;
  }

  const float span = static_cast<float>(T);
  int p = 0;
  for (int k = 1; k < count; ++k) {
    const std::size_t a = static_cast<std::size_t>(k - 1);
    const std::size_t b = static_cast<std::size_t>(k);
    const float x0 = span * x[a];
    const float x1 = span * x[b];
    while (p < T && static_cast<float>(p) / span < x[b]) {
      // Two points at one place make a step to the second factor.
      const float f = x1 == x0 ? y[b] : VLib::linear_y(x0, x1, y[a], y[b], static_cast<float>(p));
      cells_[static_cast<std::size_t>(lo + p)] *= f;
      ++p;
    }
  }
  SetCursor(lo + p - 1);
}

char VIntonation::CharAt(int i) const {
  VComposer* composer = PeekComposer();
  const VTextBuffer* buffer = composer != nullptr ? composer->GetText() : nullptr;
  if (buffer == nullptr || i < 0 || i >= buffer->GetLength()) return '\0';
  return buffer->GetText()[i];
}

void VIntonation::ApplyTargets(const char* from, const char* to, const char* labels,
                               float startValue, float ratio, float rise, bool continuePrevious) {
  int first = 0;
  int last = 0;
  if (!CheckedRange(from, to, &first, &last)) return;
  VComposer* composer = PeekComposer();
  TMShared* shared = composer != nullptr ? composer->GetShared() : nullptr;
  const VSR_PhonePool* pool = shared != nullptr ? shared->GetPhonePool() : nullptr;

  // The anchors: the phones of the span that carry one of the labels.
  const std::vector<std::string> wanted = SplitLabels(labels);
  std::vector<bool> anchor(static_cast<std::size_t>(last - first + 1), false);
  int anchors = 0;
  for (int i = first; i <= last && pool != nullptr; ++i) {
    if (!links_[static_cast<std::size_t>(i)].IsPhone()) continue;
    const char c = CharAt(i);
    for (const std::string& label : wanted) {
      if (pool->has(c, label.c_str())) {
        anchor[static_cast<std::size_t>(i - first)] = true;
        ++anchors;
        break;
      }
    }
  }
  const int n = anchors + 1;

  float base = startValue;
  if (continuePrevious) {
    for (int i = first - 1; i >= 0; --i) {
      const _link_& link = links_[static_cast<std::size_t>(i)];
      if (link.CellCount() > 0) {
        base = startValue * cells_[static_cast<std::size_t>(link.last)];
        break;
      }
    }
  }

  const float level = static_cast<float>(VLib::ValueInRange(ratio, base, n, 1, false));
  _contour_ contour({0.0f, rise, 1.0f}, {level, level, level});
  int k = 1;
  for (int i = first; i <= last; ++i) {
    const _link_& link = links_[static_cast<std::size_t>(i)];
    if (!link.IsPhone()) continue;
    contour.y[0] = contour.y[2];
    if (anchor[static_cast<std::size_t>(i - first)]) {
      ++k;
      contour.y[1] = static_cast<float>(VLib::ValueInRange(ratio, base, n, k, false));
      contour.y[2] = contour.y[1];
      ApplyContour(link.start, link.start, &contour, false, false);
    } else {
      MultiplyRange(link.start, link.start, &contour.y[2], true);
    }
  }
}

void VIntonation::ApplyTargetsToToken(const _token_* token, const char* labels, float startValue,
                                      float ratio, float rise, bool continuePrevious) {
  if (token == nullptr) return;
  ApplyTargets(token->GetStart(), token->GetEnd(), labels, startValue, ratio, rise,
               continuePrevious);
}
