// Lengthens the syllable-final phones of phrase-final words by the type of
// their phrase. For every word whose features hold "phrase:fin", each of its
// syllables whose last character is a "voiced" phone has that character's
// duration factor multiplied by the syllable's charge (EndingCharge1 for the
// word's last syllable, EndingCharge2 for the others) times the phrase's
// charge (StopCharge, CommaCharge or QuestionCharge for the phrase types
// "stop", "comma" and "question"; a phrase of any other type leaves the
// word alone). A missing charge reads 0.0.
#pragma once

#include "engine/composer/VModule.h"

class _token_;

class VM_DurationWord : public VModule {
 public:
  static constexpr const char* kEndingCharge1Key = "VM_DurationWord.EndingCharge1";
  static constexpr const char* kEndingCharge2Key = "VM_DurationWord.EndingCharge2";
  static constexpr const char* kStopChargeKey = "VM_DurationWord.StopCharge";
  static constexpr const char* kCommaChargeKey = "VM_DurationWord.CommaCharge";
  static constexpr const char* kQuestionChargeKey = "VM_DurationWord.QuestionCharge";
  // The source name of the log lines of a missing "Word" or "Phrase" layer.
  static constexpr const char* kSourcePath = "vm_dur_wrd";

  VM_DurationWord();

  bool ReleaseResources() override;
  bool Init() override;
  // Reads the five charges; true.
  bool SetUp() override;
  // Prepares the durations and charges the phrase-final words; true. The
  // layers "Word", "Phrase" and "Syllable" are required, in that order: the
  // first one missing ends the run with false after its line in the engine
  // log ("vm_dur_wrd: Word layer required", "vm_dur_wrd: Phrase layer
  // required", "vm_dur_wrd::apply()@Syllable layer required"). A failed
  // preparation changes nothing. A word that no syllable or phrase covers,
  // or whose syllable ends lie outside the durations, is skipped.
  bool Run() override;
  bool Release() override;

 private:
  // The charge of a phrase type; false for a type without one.
  bool TypeCharge(const _token_* phrase, float* charge) const;

  float endingCharge1_ = 0.0f;
  float endingCharge2_ = 0.0f;
  float stopCharge_ = 0.0f;
  float commaCharge_ = 0.0f;
  float questionCharge_ = 0.0f;
};
