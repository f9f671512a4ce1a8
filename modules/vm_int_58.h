// Applies a named set of V58 phrase templates phrase by phrase: for every
// phrase token, V58ProsodicCompiler::Analyse finds the points of the phrase
// on its syllables, marks the stressed ones ("phrase" = "firstStress",
// "preLastStress", "lastStress", which VM_IntonationSyllable then leaves
// alone) and applies the template of the phrase's type for exactly those
// points to the F0 cells. A phrase whose template slot is empty, or whose
// template has too few elements, gets nothing and keeps its marks.
#pragma once

#include "engine/composer/VModule.h"

class V58ProsodicCompiler;

class VM_IntonationV58 : public VModule {
 public:
  static constexpr const char* kCompilerKey = "VM_IntonationV58.Compiler";

  VM_IntonationV58();

  // Forgets the templates; true.
  bool ReleaseResources() override;
  bool Init() override;
  // Takes the shared template set that "VM_IntonationV58.Compiler" names
  // exactly (a full file name). When it names none, one line goes to the
  // engine log and the runs leave the F0 cells unchanged. True.
  bool SetUp() override;
  // Prepares the durations and the F0 cells and analyses the phrases.
  // False (the chain run ends) when no phone has a duration, with nothing
  // reported; a preparation that fails otherwise changes nothing (one line
  // in the engine log) and the chain goes on. A missing layer ("Phrase",
  // "Word", "Syllable", in that order) ends the run with false after the
  // error report "vm_int_58::Run()@[Phrase] layer required" (or [Word],
  // [Syllable]).
  bool Run() override;
  bool Release() override;

  const V58ProsodicCompiler* GetCompiler() const { return compiler_; }

 private:
  const V58ProsodicCompiler* compiler_ = nullptr;
};
