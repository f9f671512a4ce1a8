// The duration array of a composer: one entry per character of the working
// text (the phone string of a run). Before finalisation an entry is a factor
// (1.0 when prepared) that the duration modules multiply; finalisation turns
// every entry into milliseconds, reference x scale x factor, quantised to the
// time quantum. The component's integer holds the time quantum (ms) and its
// prepared flag the prepared state.
#pragma once

#include <atomic>
#include <cstddef>
#include <vector>

#include "engine/composer/VComponent.h"

class VCharacter;

// Reads the time quantum ("TIMEQUANTUM") and the reference named by
// referenceKey from the voice font. A quantum that is not positive (or no
// font) answers false and goes to the error report in owner's name unless
// `reported` is set already (it is set then): one report per run. Both
// arrays use it.
bool ReadQuantumAndReference(const VCharacter* character, const char* owner,
                             const char* referenceKey, int& quantum, int& reference,
                             bool& reported);

class VDuration : public VComponent {
 public:
  // The settings of the current character that a preparation reads.
  static constexpr const char* kTimeQuantumKey = "TIMEQUANTUM";
  static constexpr const char* kReferenceKey = "Duration reference";

  // The values before the first preparation.
  static constexpr int kDefaultTimeQuantum = 20;
  static constexpr int kDefaultReference = 100;

  // Results of Prepare.
  static constexpr int kPrepared = 1;
  static constexpr int kAllocationFailed = -1;
  static constexpr int kNoComposer = -2;
  static constexpr int kBadTimeQuantum = -4;

  // Results of Finalise.
  static constexpr int kFinalised = 1;
  static constexpr int kAlreadyFinalised = 2;
  static constexpr int kNotPrepared = 0;

  VDuration();
  VDuration(const VDuration&) = delete;
  VDuration& operator=(const VDuration&) = delete;
  virtual ~VDuration();

  // 1 when already prepared. Otherwise reads TIMEQUANTUM and "Duration
  // reference" from the current character, sizes the entries to the length
  // of the working text, sets each to 1.0 and returns 1. Failures leave the
  // array unprepared and empty: a time quantum of 0 or below goes to the
  // error report once per run (kBadTimeQuantum); entries that cannot be allocated give an
  // error line in the engine log (kAllocationFailed); without a composer the
  // error report receives "VDuration::Prepare" (kNoComposer).
  int Prepare();

  // 2 when already finalised; 0 when Prepare gives less than 1; otherwise
  // each entry becomes VLib::Quantize(GetBase() x entry, time quantum) and
  // the result is 1. A working text whose length differs from the prepared
  // size is reported ("len!=m_size [1]!") and only the prepared entries are
  // processed.
  int Finalise();

  // Entry i. An index below 0 or at or past the size goes to the error
  // report ("in_at < 0", "in_at >= m_size") and gives 0.0.
  float Get(int i) const;

  // The sum of the entries of the characters that are phones (phone-table
  // feature "phone"); a negative entry counts as 0. 0 for an empty text or
  // a component without composer or phone table.
  float TotalOfPhones() const;

  // reference x scale, truncated toward zero (kept within int).
  int GetBase() const;

  // The speed scale (the composer's setting, 0.5 to 2.0); written by the GUI
  // thread, read by the thread of the run.
  void SetScale(float scale) { scale_.store(scale); }
  float GetScale() const { return scale_.load(); }

  // Neither prepared nor finalised, and a new run for the report of a bad
  // time quantum; the entries stay until the next preparation replaces
  // them. 1.
  int Reset();

  // Whether this run has reported a time quantum that is not positive. The
  // composer's intonation array shares it: both read the same setting.
  bool& QuantumReported() { return quantumReported_; }

  // Used by the duration modules on a prepared array: entry i multiplied by
  // factor, or set to value. False, with nothing changed and nothing
  // reported, for an index outside the entries.
  bool Multiply(int i, float factor);
  bool Set(int i, float value);

  // The number of entries (the text length at the last preparation).
  int GetSize() const { return static_cast<int>(entries_.size()); }
  bool IsFinalised() const { return finalised_; }
  int GetTimeQuantum() const { return GetValue(); }
  int GetReference() const { return reference_; }

 protected:
  // Makes `count` entries of 1.0; false when they cannot be had.
  virtual bool AllocateEntries(std::size_t count);

 private:
  int TextLength() const;

  std::vector<float> entries_;
  int reference_ = kDefaultReference;
  bool finalised_ = false;
  bool quantumReported_ = false;
  std::atomic<float> scale_{1.0f};
};
