// Writes letter-conversion rule files byte by byte, in the binary layout
// that CRuleCollection reads, so tests can build rule files of any shape
// (complete, cut short, with or without a font block).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace rule_file {

// One element of a Before or After context.
struct Element {
  std::string op;          // "=", "!=", or anything else (accepts every character)
  std::string repetition;  // "n" or "min-max"
  std::string set;         // the characters; "\\0" marks the text boundary
};

struct Rule {
  uint8_t enabled = 1;
  unsigned char mainChar = ' ';
  std::vector<Element> before;
  std::vector<Element> after;
  std::string translation;
  uint8_t charsTranslated = 1;
  int32_t counter = 0;
};

// A rule with empty contexts that rewrites mainChar as translation.
inline Rule Simple(unsigned char mainChar, const std::string& translation,
                   uint8_t charsTranslated = 1) {
  Rule rule;
  rule.mainChar = mainChar;
  rule.translation = translation;
  rule.charsTranslated = charsTranslated;
  return rule;
}

inline void AppendString(std::string& out, const std::string& text) {
  out += text;
  out.push_back('\0');
}

inline void AppendU16(std::string& out, uint16_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

inline void AppendI32(std::string& out, int32_t value) {
  const auto bits = static_cast<uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8)
    out.push_back(static_cast<char>((bits >> shift) & 0xFF));
}

inline void AppendContext(std::string& out, const std::vector<Element>& elements) {
  AppendU16(out, static_cast<uint16_t>(elements.size()));
  for (const Element& e : elements) AppendString(out, e.op);
  for (const Element& e : elements) AppendString(out, e.repetition);
  for (const Element& e : elements) AppendString(out, e.set);
}

// One rule record.
inline std::string Record(const Rule& rule) {
  std::string out;
  out.push_back(static_cast<char>(rule.enabled));
  out.push_back(static_cast<char>(rule.mainChar));
  AppendContext(out, rule.before);
  AppendContext(out, rule.after);
  AppendString(out, rule.translation);
  out.push_back(static_cast<char>(rule.charsTranslated));
  AppendI32(out, rule.counter);
  return out;
}

// The file header: the font flag, the 50-byte font block when the flag is
// not 0 (font is padded with zeros or cut to 50 bytes), the output-unknown
// byte.
inline std::string Header(bool outputUnknown, uint8_t fontFlag = 0, std::string font = "") {
  std::string out;
  out.push_back(static_cast<char>(fontFlag));
  if (fontFlag != 0) {
    font.resize(50, '\0');
    out += font;
  }
  out.push_back(outputUnknown ? '\1' : '\0');
  return out;
}

// A whole file: header and records in the order given.
inline std::string File(const std::vector<Rule>& rules, bool outputUnknown, uint8_t fontFlag = 0,
                        const std::string& font = "") {
  std::string out = Header(outputUnknown, fontFlag, font);
  for (const Rule& rule : rules) out += Record(rule);
  return out;
}

}  // namespace rule_file
