#include "engine/data/VDuration.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <new>
#include <string>

#include "engine/base/Log.h"
#include "engine/base/VLib.h"
#include "engine/composer/VCharacter.h"
#include "engine/data/VTextBuffer.h"
#include "engine/shared/TMShared.h"

namespace {}  // namespace

bool ReadQuantumAndReference(const VCharacter* character, const char* owner,
                             const char* referenceKey, int& quantum, int& reference,
                             bool& reported) {
  quantum = character != nullptr
                ? VLib::ParseInt(character->GetParameter(VDuration::kTimeQuantumKey))
                : 0;
  if (quantum <= 0) {
    if (reported) return false;
    reported = true;
    VLib::ReportError(std::string(owner) + "::Prepare()@TIMEQUANTUM must be positive: [" +
                      std::to_string(quantum) + "]");
    return false;
  }
  reference = VLib::ParseInt(character->GetParameter(referenceKey));
  return true;
}

VDuration::VDuration() : VComponent("VDuration") { SetValue(kDefaultTimeQuantum); }

VDuration::~VDuration() = default;

bool VDuration::AllocateEntries(std::size_t count) {
  try {
    entries_.assign(count, 1.0f);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

int VDuration::TextLength() const {
  VComposer* composer = PeekComposer();
  const VTextBuffer* text = composer != nullptr ? composer->GetText() : nullptr;
  return text != nullptr ? text->GetLength() : 0;
}

int VDuration::Prepare() {
  if (IsPrepared()) return kPrepared;
  VComposer* composer = GetComposer();
  if (composer == nullptr) {
    VLib::ReportError("VDuration::Prepare");
    return kNoComposer;
  }
  // A rebuild starts from nothing, whatever happens below.
  entries_.clear();
  finalised_ = false;

  int quantum = 0;
  if (!ReadQuantumAndReference(composer->GetCharacter(), "VDuration", kReferenceKey, quantum,
                               reference_, quantumReported_)) {
    return kBadTimeQuantum;
  }
  SetValue(quantum);

  if (!AllocateEntries(static_cast<std::size_t>(TextLength()))) {
    entries_.clear();
    Log::Error2("VDuration::Prepare()", "new float[m_size] failed");
    return kAllocationFailed;
  }
  SetPrepared(true);
  return kPrepared;
}

int VDuration::Finalise() {
  if (finalised_) return kAlreadyFinalised;
  if (Prepare() < 1) return kNotPrepared;

  if (TextLength() != GetSize()) VLib::ReportError("len!=m_size [1]!");
  const int base = GetBase();
  const int quantum = GetTimeQuantum();  // positive once prepared
  for (float& entry : entries_) {
    // The product in single precision: 100 x 1.1 is 110 exactly, which
    // quantises (half down) to 100 ms with a quantum of 20.
    entry = static_cast<float>(VLib::Quantize(static_cast<float>(base) * entry, quantum));
  }
  finalised_ = true;
  return kFinalised;
}

float VDuration::Get(int i) const {
  if (i < 0) {
    VLib::ReportError("in_at < 0");
    return 0.0f;
  }
  if (i >= GetSize()) {
    VLib::ReportError("in_at >= m_size");
    return 0.0f;
  }
  return entries_[static_cast<std::size_t>(i)];
}

float VDuration::TotalOfPhones() const {
  VComposer* composer = PeekComposer();
  if (composer == nullptr || composer->GetText() == nullptr || composer->GetShared() == nullptr) {
    return 0.0f;
  }
  const VSR_PhonePool* pool = composer->GetShared()->GetPhonePool();
  const char* text = composer->GetText()->GetText();
  const int n = std::min(TextLength(), GetSize());
  float total = 0.0f;
  for (int i = 0; i < n; ++i) {
    const float entry = entries_[static_cast<std::size_t>(i)];
    if (entry > 0.0f && pool->getPhoneFeature(text[i], "phone")) total += entry;
  }
  return total;
}

int VDuration::GetBase() const { return VLib::TruncatedProduct(reference_, GetScale()); }

int VDuration::Reset() {
  SetPrepared(false);
  finalised_ = false;
  quantumReported_ = false;
  return 1;
}

bool VDuration::Multiply(int i, float factor) {
  if (i < 0 || i >= GetSize()) return false;
  entries_[static_cast<std::size_t>(i)] *= factor;
  return true;
}

bool VDuration::Set(int i, float value) {
  if (i < 0 || i >= GetSize()) return false;
  entries_[static_cast<std::size_t>(i)] = value;
  return true;
}
