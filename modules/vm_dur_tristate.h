// Gives each phone a duration factor from a tri-state rule table: every
// character of the phone string but the first and the last has its factor
// multiplied by VTriStateCompiler::Lookup(left, itself, right), where left
// and right are the nearest characters before and after it whose phone has
// the feature "tristate" ('.' when there is none). The character itself
// need not be a "tristate" phone.
//
// Speech cut into passes is timed as the whole text: a pass that more
// speech follows leaves the nearest "tristate" character at its end, and
// the pass that continues it takes that as its first character's left
// neighbour and times that character too.
#pragma once

#include <optional>

#include "engine/composer/VModule.h"

class VTriStateCompiler;

class VM_DurationTriState : public VModule {
 public:
  // The key spells "Tristate" with a lower-case s.
  static constexpr const char* kCompilerKey = "VM_DurationTristate.Compiler";
  // The neighbour passed where there is none.
  static constexpr char kNoNeighbour = '.';

  VM_DurationTriState();

  // Forgets the rule table; true.
  bool ReleaseResources() override;
  bool Init() override;
  // Takes the shared rule table that "VM_DurationTristate.Compiler" names
  // exactly (a full file name). When it names none, one line goes to the
  // engine log and the runs leave the factors unchanged. True.
  bool SetUp() override;
  // Prepares the durations and multiplies the factors; true. A preparation
  // that fails, or no rule table, changes nothing.
  bool Run() override;
  bool Release() override;

  const VTriStateCompiler* GetCompiler() const { return compiler_; }

 private:
  const VTriStateCompiler* compiler_ = nullptr;
  // The left neighbour of the next pass's first character; none before
  // the first pass.
  std::optional<char> leftOfNext_;
};
