// Writes a RuleSet as rule source text (UTF-8) that the compiler turns back
// into the same binary file. Values the source form cannot express (an
// Enabled byte other than 0 and 1, a font flag or output-unknown byte other
// than 0 and 1) are noted in comments.
#pragma once

#include <string>

#include "tools/rulec/RuleSet.h"

namespace rulec {

class RuleSourceWriter {
 public:
  static std::string write(const RuleSet& set);

  // Which field a text belongs to: the escapes it needs differ.
  enum class Field { kMain, kOperator, kRepetition, kSet, kTranslation };

  // The source spelling of one field's bytes (Windows-1253).
  static std::string escape(const std::string& bytes, Field field);
};

}  // namespace rulec
