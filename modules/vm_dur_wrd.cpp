#include "modules/vm_dur_wrd.h"

#include <string>
#include <utility>
#include <vector>

#include "engine/base/Log.h"
#include "engine/data/FeatureNames.h"
#include "engine/data/VDuration.h"
#include "engine/data/VLayer.h"
#include "engine/data/VTextBuffer.h"
#include "engine/data/_token_.h"
#include "engine/shared/PhoneFeature.h"

VM_DurationWord::VM_DurationWord() : VModule("VM_DurationWord") {}

bool VM_DurationWord::ReleaseResources() { return true; }

bool VM_DurationWord::Init() { return true; }

bool VM_DurationWord::SetUp() {
  endingCharge1_ = FloatFontParameter(kEndingCharge1Key);
  endingCharge2_ = FloatFontParameter(kEndingCharge2Key);
  stopCharge_ = FloatFontParameter(kStopChargeKey);
  commaCharge_ = FloatFontParameter(kCommaChargeKey);
  questionCharge_ = FloatFontParameter(kQuestionChargeKey);
  return true;
}

bool VM_DurationWord::TypeCharge(const _token_* phrase, float* charge) const {
  if (phrase == nullptr) return false;
  const std::pair<const char*, float> charges[] = {{features::kStop, stopCharge_},
                                                   {features::kComma, commaCharge_},
                                                   {features::kQuestion, questionCharge_}};
  for (const auto& c : charges) {
    if (phrase->Is(features::kType, c.first)) {
      *charge = c.second;
      return true;
    }
  }
  return false;
}

bool VM_DurationWord::Run() {
  VDuration* duration = PreparedDurations();
  VLayer* words = Layer(layers::kWord);
  VLayer* phrases = Layer(layers::kPhrase);
  VLayer* syllables = Layer(layers::kSyllable);
  if (words == nullptr || phrases == nullptr) {
    Log::Error(std::string(kSourcePath) + (words == nullptr ? ": Word" : ": Phrase") +
               " layer required");
    return false;
  }
  if (syllables == nullptr) {
    Log::Error("vm_dur_wrd::apply()@Syllable layer required");
    return false;
  }
  if (duration == nullptr) return true;
  const VTextBuffer* text = GetComposer()->GetText();
  PhoneFeature isVoiced(PhoneTable(), phone_features::kVoiced);

  std::vector<int> ends;
  for (const _token_* word : words->Tokens()) {
    if (word->Contains(feature_pairs::kPhraseFin) == nullptr) continue;
    const int s0 = syllables->locate(word->GetStart());
    const int n = syllables->CountBetween(word->GetStart(), word->GetEnd());
    float typeCharge = 0.0f;
    if (s0 < 0 || n <= 0 || !TypeCharge(phrases->locateToken(word->GetStart()), &typeCharge)) {
      continue;
    }
    // Every syllable end must lie inside the durations before any is charged.
    ends.clear();
    for (int k = 0; k < n; ++k) {
      const int j = text->IndexOf(syllables->at(s0 + k)->GetEnd());
      if (j < 0 || j >= duration->GetSize()) break;
      ends.push_back(j);
    }
    if (static_cast<int>(ends.size()) != n) continue;
    for (int k = 0; k < n; ++k) {
      const int j = ends[static_cast<std::size_t>(k)];
      if (!isVoiced(text->Str()[static_cast<std::size_t>(j)])) continue;
      const float charge = k == n - 1 ? endingCharge1_ : endingCharge2_;
      duration->Multiply(j, charge * typeCharge);
    }
  }
  return true;
}

bool VM_DurationWord::Release() { return true; }
