#include "modules/vm_dur_tristate.h"

#include <string>
#include <vector>

#include "engine/data/FeatureNames.h"
#include "engine/data/VDuration.h"
#include "engine/data/VTextBuffer.h"
#include "engine/shared/PhoneFeature.h"
#include "engine/shared/TMShared.h"

VM_DurationTriState::VM_DurationTriState() : VModule("VM_DurationTriState") {}

bool VM_DurationTriState::ReleaseResources() {
  compiler_ = nullptr;
  return true;
}

bool VM_DurationTriState::Init() { return true; }

bool VM_DurationTriState::SetUp() {
  TMShared* shared = Shared();
  compiler_ = shared != nullptr ? shared->Get3States()->FindFor(FontParameter(kCompilerKey),
                                                                "VM_DurationTriState::SetUp()")
                                : nullptr;
  return true;
}

bool VM_DurationTriState::Run() {
  const VTextBuffer* working = GetComposer()->GetText();
  // A pass that continues the speech reads its first character's left
  // neighbour from the end of the pass before; any other text starts anew.
  if (!working->ContinuesSpeech()) leftOfNext_.reset();
  VDuration* duration = PreparedDurations();
  if (duration == nullptr || compiler_ == nullptr) return true;
  const std::string& text = working->Str();
  const std::size_t length = text.size();
  if (length == 0) return true;

  // The nearest "tristate" phone before and after every character.
  PhoneFeature isTriState(PhoneTable(), phone_features::kTristate);
  std::vector<char> left(length, kNoNeighbour);
  std::vector<char> right(length, kNoNeighbour);
  const bool continued = leftOfNext_.has_value();
  if (continued) left[0] = *leftOfNext_;
  for (std::size_t i = 1; i < length; ++i) {
    left[i] = isTriState(text[i - 1]) ? text[i - 1] : left[i - 1];
  }
  for (std::size_t i = length - 1; i-- > 0;) {
    right[i] = isTriState(text[i + 1]) ? text[i + 1] : right[i + 1];
  }
  const bool more = working->MoreSpeechFollows();
  const char last = text[length - 1];
  leftOfNext_ = isTriState(last) ? last : left[length - 1];
  // The first and the last character keep their factors, unless the first
  // continues the speech of a pass before or the last is the sentence break
  // of a pass that more speech follows.
  const std::size_t begin = continued ? 0 : 1;
  const std::size_t end = more ? length : length - 1;
  VTriStateCompiler::Factors factors;
  for (std::size_t i = begin; i < end; ++i) {
    duration->Multiply(static_cast<int>(i), compiler_->Lookup(left[i], text[i], right[i], factors));
  }
  return true;
}

bool VM_DurationTriState::Release() { return true; }
