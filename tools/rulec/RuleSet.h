// The content of one binary letter-conversion rule file, as the rule
// compiler reads it from a source, writes it, and reads it back for a dump.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace rulec {

// Size of the logical font block of the file header.
constexpr std::size_t kFontBlockSize = 50;
// Greatest element count of one context (a 2-byte field in the file).
constexpr std::size_t kMaxContextElements = 65535;

// One element of a Before or After context: its operator, repetition and
// character set, byte strings in Windows-1253.
struct RuleElement {
  std::string op;
  std::string repetition;
  std::string set;
};

// One rule record.
struct RuleRecord {
  uint8_t enabled = 1;
  uint8_t mainChar = 0;
  std::vector<RuleElement> before;
  std::vector<RuleElement> after;
  std::string translation;
  uint8_t charsTranslated = 1;
  int32_t counter = 0;
  int line = 0;  // line of the source that gave the rule; 0 when read from a binary file
};

// The header and the rules of one rule file.
struct RuleSet {
  uint8_t fontFlag = 0;  // 0: no font block
  std::array<uint8_t, kFontBlockSize> font{};
  uint8_t outputUnknown = 1;
  std::vector<RuleRecord> rules;
};

}  // namespace rulec
