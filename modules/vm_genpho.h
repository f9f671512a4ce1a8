// Writes the MBROLA phone text of a run from the phone string, the
// finalised durations and the F0 cells: a 60 ms opening silence carrying the
// base F0, one line per phone ("symbol duration (pct,F0) ..."), and the
// closing "_ 60" without a line feed. The output modules find the module by
// its name and read the text it built last.
#pragma once

#include <string>

#include "engine/composer/VModule.h"

class VComposer;

class VM_GeneratorPHO : public VModule {
 public:
  // The voice-font key of the step in percent between the pitch points.
  static constexpr const char* kQuantumKey = "VM_GeneratorPHO.Quantum";

  VM_GeneratorPHO();

  bool ReleaseResources() override;
  bool Init() override;
  // Reads the quantum from the current voice font. A quantum of 0 or below
  // is logged; it then gives only the point at 0 % of each phone. True.
  bool SetUp() override;
  // Generate; true whatever happened.
  bool Run() override;
  bool Release() override;

  // Rebuilds the phone text from the composer's working text, VDuration and
  // VIntonation. The text stays empty when the intonation has no cells.
  void Generate();
  // The phone text of the last run ("" before the first).
  const std::string& GetPho() const { return pho_; }
  // Empties the phone text, so that a chain run that ends before this
  // module leaves none behind for its reader.
  void Clear() { pho_.clear(); }

  int GetQuantum() const { return quantum_; }

  // The phone-text symbol of a character of the phone string.
  static std::string Symbol(char c);
  // The module registered as "VM_GeneratorPHO" in the composer's
  // directory; null when there is none.
  static VM_GeneratorPHO* Find(VComposer* composer);

 private:
  std::string pho_;
  int quantum_ = 0;
};
