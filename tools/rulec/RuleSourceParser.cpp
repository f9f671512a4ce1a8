#include "tools/rulec/RuleSourceParser.h"

#include <cstdint>
#include <cstdio>

#include "platform/Codepage.h"

namespace rulec {
namespace {

constexpr const char* kSeparator = " | ";
constexpr uint32_t kMaxInt32 = 2147483647u;

bool IsDigits(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// Reads a run of decimal digits; false when it is above limit.
bool ReadNumber(const std::string& digits, uint32_t limit, uint32_t& out) {
  uint64_t value = 0;
  for (char c : digits) {
    value = value * 10 + static_cast<uint64_t>(c - '0');
    if (value > limit) return false;
  }
  out = static_cast<uint32_t>(value);
  return true;
}

// A name of a character set: letters, digits and '_'.
bool IsSetName(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text) {
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!letter && !(c >= '0' && c <= '9') && c != '_') return false;
  }
  return true;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string Hex2(unsigned value) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02X", value & 0xFFu);
  return buf;
}

std::string CodePointName(char32_t cp) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(cp));
  return buf;
}

// Decodes the UTF-8 sequence at text[i] and moves i past it. Returns false
// for a malformed sequence (i then moves past its first byte).
bool DecodeUtf8(const std::string& text, std::size_t& i, char32_t& cp, std::size_t& length) {
  const auto at = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = at(i);
  int extra = 0;
  char32_t minimum = 0;
  if (lead < 0x80) {
    cp = lead;
    length = 1;
    ++i;
    return true;
  }
  if ((lead & 0xE0) == 0xC0) {
    extra = 1, cp = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, cp = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, cp = lead & 0x07, minimum = 0x10000;
  } else {
    ++i;
    return false;
  }
  for (int k = 1; k <= extra; ++k) {
    if (i + k >= text.size() || (at(i + k) & 0xC0) != 0x80) {
      ++i;
      return false;
    }
    cp = (cp << 6) | (at(i + k) & 0x3F);
  }
  if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i;
    return false;
  }
  length = static_cast<std::size_t>(extra) + 1;
  i += length;
  return true;
}

// Splits text at every unescaped occurrence of separator; a backslash
// escapes the character after it, which is kept with it for decoding.
std::vector<std::string> SplitUnescaped(const std::string& text, const std::string& separator) {
  std::vector<std::string> parts(1);
  std::size_t i = 0;
  while (i < text.size()) {
    if (text.compare(i, separator.size(), separator) == 0) {
      parts.emplace_back();
      i += separator.size();
    } else if (text[i] == '\\' && i + 1 < text.size()) {
      parts.back() += text.substr(i, 2);
      i += 2;
    } else {
      parts.back() += text[i++];
    }
  }
  return parts;
}

// The position of the first unescaped colon at or after from, or npos.
std::size_t FindUnescapedColon(const std::string& text, std::size_t from) {
  for (std::size_t i = from; i < text.size(); ++i) {
    if (text[i] == '\\') {
      ++i;
    } else if (text[i] == ':') {
      return i;
    }
  }
  return std::string::npos;
}

}  // namespace

bool RuleSourceParser::checkRepetition(const std::string& text, std::string& why) {
  const std::string quoted = "repetition '" + text + "'";
  uint32_t value = 0;
  if (text.empty()) return true;
  if (IsDigits(text)) {
    if (ReadNumber(text, kMaxInt32, value)) return true;
    why = quoted + ": number above 2147483647";
    return false;
  }
  if (text[0] == '-' && IsDigits(text.substr(1))) {
    why = quoted + " is negative";
    return false;
  }
  const std::size_t hyphen = text.find('-');
  if (hyphen == std::string::npos) {
    why = quoted + " is not a number or a range MIN-MAX";
    return false;
  }
  const std::string low = text.substr(0, hyphen);
  const std::string high = text.substr(hyphen + 1);
  if (IsDigits(low) && high.empty()) {
    why = quoted + " has no maximum";
    return false;
  }
  if (!IsDigits(low) || !IsDigits(high)) {
    why = quoted + " is not a number or a range MIN-MAX";
    return false;
  }
  uint32_t minimum = 0;
  uint32_t maximum = 0;
  if (!ReadNumber(low, kMaxInt32, minimum) || !ReadNumber(high, kMaxInt32, maximum)) {
    why = quoted + ": number above 2147483647";
    return false;
  }
  if (maximum < 1) {
    why = quoted + ": the maximum must be at least 1";
    return false;
  }
  if (minimum > maximum) {
    why = quoted + ": the minimum is above the maximum";
    return false;
  }
  return true;
}

void RuleSourceParser::fail(int line, const std::string& reason) {
  if (line > 0) {
    errors_.push_back(name_ + ":" + std::to_string(line) + ": " + reason);
  } else {
    errors_.push_back(name_ + ": " + reason);
  }
}

bool RuleSourceParser::parse(const std::string& text, const std::string& name) {
  name_ = name;
  set_ = RuleSet();
  haveOutputUnknown_ = false;
  ruleLines_ = 0;
  fontLine_ = 0;
  errors_.clear();
  sets_.clear();

  std::size_t start = 0;
  // A byte order mark at the start is not part of the first line.
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) start = 3;
  int number = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    parseLine(line, ++number);
    start = end + 1;
  }

  if (!haveOutputUnknown_) fail(0, "the directive @output-unknown is missing");
  if (ruleLines_ == 0) fail(0, "no rules: a rule collection needs at least one rule");
  for (std::size_t k = 1; k < set_.rules.size(); ++k) {
    const RuleRecord& previous = set_.rules[k - 1];
    const RuleRecord& rule = set_.rules[k];
    if (rule.mainChar < previous.mainChar) {
      const std::string here(1, static_cast<char>(rule.mainChar));
      const std::string there(1, static_cast<char>(previous.mainChar));
      fail(rule.line, "main char '" + platform::Cp1253ToUtf8(here) + "' (0x" + Hex2(rule.mainChar) +
                          ") follows '" + platform::Cp1253ToUtf8(there) + "' (0x" +
                          Hex2(previous.mainChar) + ") of line " + std::to_string(previous.line) +
                          ": main chars must be in ascending Windows-1253 byte order");
    }
  }
  return errors_.empty();
}

void RuleSourceParser::parseLine(const std::string& line, int number) {
  if (line.find_first_not_of(" \t") == std::string::npos) return;
  if (line[0] == '#') return;
  if (line[0] == '@') {
    parseDirective(line, number);
  } else {
    parseRule(line, number);
  }
}

void RuleSourceParser::parseDirective(const std::string& line, int number) {
  const std::size_t blank = line.find(' ');
  const std::string name = line.substr(0, blank);
  std::string value = blank == std::string::npos ? "" : line.substr(blank + 1);
  while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.pop_back();

  if (name == "@output-unknown") {
    if (haveOutputUnknown_) {
      fail(number, "@output-unknown is given twice");
      return;
    }
    haveOutputUnknown_ = true;
    if (value == "yes") {
      set_.outputUnknown = 1;
    } else if (value == "no") {
      set_.outputUnknown = 0;
    } else {
      fail(number, "@output-unknown takes yes or no, not '" + value + "'");
    }
  } else if (name == "@font") {
    if (fontLine_ != 0) {
      fail(number, "@font is given twice (first on line " + std::to_string(fontLine_) + ")");
      return;
    }
    fontLine_ = number;
    if (value.size() != 2 * kFontBlockSize) {
      fail(number, "@font takes exactly 100 hex digits (50 bytes), found " +
                       std::to_string(value.size()) + " characters");
      return;
    }
    for (std::size_t k = 0; k < kFontBlockSize; ++k) {
      const int hi = HexValue(value[2 * k]);
      const int lo = HexValue(value[2 * k + 1]);
      if (hi < 0 || lo < 0) {
        fail(number, "@font: '" + value.substr(2 * k, 2) + "' is not a hex byte");
        return;
      }
      set_.font[k] = static_cast<uint8_t>(hi * 16 + lo);
    }
    set_.fontFlag = 1;
  } else if (name == "@set") {
    const std::size_t gap = value.find(' ');
    const std::string setName = value.substr(0, gap);
    const std::string chars = gap == std::string::npos ? "" : value.substr(gap + 1);
    if (!IsSetName(setName) || chars.empty()) {
      fail(number, "@set takes a name (letters, digits, _) and the characters of the set");
    } else if (sets_.count(setName) != 0) {
      fail(number, "@set " + setName + " is given twice");
    } else {
      std::string expanded;
      if (expandSets(chars, "@set " + setName, number, expanded)) sets_[setName] = expanded;
    }
  } else {
    fail(number, "unknown directive " + name);
  }
}

bool RuleSourceParser::expandSets(const std::string& raw, const std::string& what, int number,
                                  std::string& out) {
  out.clear();
  for (std::size_t i = 0; i < raw.size();) {
    if (raw[i] == '\\' && i + 1 < raw.size()) {
      out += raw.substr(i, 2);
      i += 2;
    } else if (raw[i] == '$') {
      std::size_t end = i + 1;
      while (end < raw.size() && IsSetName(raw.substr(end, 1))) ++end;
      const std::string setName = raw.substr(i + 1, end - i - 1);
      const auto found = sets_.find(setName);
      if (found == sets_.end()) {
        fail(number, what + ": no set named '" + setName + "' (write \\$ for a dollar sign)");
        return false;
      }
      out += found->second;
      i = end;
    } else {
      out += raw[i++];
    }
  }
  return true;
}

bool RuleSourceParser::decodeField(const std::string& raw, const char* what, int number,
                                   std::string& out) {
  out.clear();
  std::size_t i = 0;
  while (i < raw.size()) {
    const char c = raw[i];
    if (c == '\\') {
      if (i + 1 >= raw.size()) {
        fail(number, std::string(what) + ": a lone backslash at the end (write \\\\)");
        return false;
      }
      const char e = raw[i + 1];
      i += 2;
      switch (e) {
        case 's':
          out += ' ';
          break;
        case 't':
          out += '\t';
          break;
        case '|':
        case ':':
        case '-':
        case '$':
        case '\\':
          out += e;
          break;
        case '0':
          out += "\\0";
          break;
        case 'x': {
          const int hi = i < raw.size() ? HexValue(raw[i]) : -1;
          const int lo = i + 1 < raw.size() ? HexValue(raw[i + 1]) : -1;
          if (hi < 0 || lo < 0) {
            fail(number, std::string(what) + ": \\x needs two hex digits");
            return false;
          }
          out += static_cast<char>(hi * 16 + lo);
          i += 2;
          break;
        }
        default: {
          std::size_t k = i - 1;
          char32_t cp = 0;
          std::size_t length = 1;
          const std::string shown =
              DecodeUtf8(raw, k, cp, length) ? raw.substr(i - 1, length) : "?";
          fail(number, std::string(what) + ": unknown escape \\" + shown);
          return false;
        }
      }
      continue;
    }
    if (c == ' ' || c == '\t') {
      fail(number,
           std::string(what) + ": a blank or tab inside a field must be written \\s or \\t");
      return false;
    }
    if (c == '|') {
      fail(number, std::string(what) + ": a bar inside a field must be written \\|");
      return false;
    }
    const std::size_t at = i;
    char32_t cp = 0;
    std::size_t length = 1;
    if (!DecodeUtf8(raw, i, cp, length)) {
      fail(number, std::string(what) + ": malformed UTF-8");
      return false;
    }
    if (cp == 0) {
      out += '\0';
      continue;
    }
    const unsigned char byte = platform::CodePointToCp1253(cp);
    if (byte == 0) {
      fail(number, std::string(what) + ": the character '" + raw.substr(at, length) + "' (" +
                       CodePointName(cp) + ") is not in Windows-1253");
      return false;
    }
    out += static_cast<char>(byte);
  }
  return true;
}

bool RuleSourceParser::parseContext(const std::string& raw, const char* what, int number,
                                    std::vector<RuleElement>& out) {
  out.clear();
  if (raw == "-") return true;
  if (raw.empty()) {
    fail(number, std::string(what) + ": write - for an empty context");
    return false;
  }
  const std::vector<std::string> elements = SplitUnescaped(raw, " ");
  if (elements.size() > kMaxContextElements) {
    fail(number, std::string(what) + ": " + std::to_string(elements.size()) +
                     " elements, more than the 65535 a context can hold");
    return false;
  }
  out.reserve(elements.size());
  int index = 0;
  for (const std::string& element : elements) {
    ++index;
    const std::string label = std::string(what) + " element " + std::to_string(index);
    if (element.empty()) {
      fail(number, label + " is empty (elements are separated by single blanks)");
      return false;
    }
    const std::size_t first = FindUnescapedColon(element, 0);
    const std::size_t second =
        first == std::string::npos ? std::string::npos : FindUnescapedColon(element, first + 1);
    if (second == std::string::npos) {
      fail(number, label + " '" + element + "' is not OP:REP:SET");
      return false;
    }
    RuleElement e;
    std::string set;
    if (!decodeField(element.substr(0, first), (label + " operator").c_str(), number, e.op) ||
        !decodeField(element.substr(first + 1, second - first - 1), (label + " repetition").c_str(),
                     number, e.repetition) ||
        !expandSets(element.substr(second + 1), label + " set", number, set) ||
        !decodeField(set, (label + " set").c_str(), number, e.set)) {
      return false;
    }
    std::string why;
    if (!checkRepetition(e.repetition, why)) {
      fail(number, label + ": " + why);
      return false;
    }
    for (const std::string* text : {&e.op, &e.repetition, &e.set}) {
      if (text->find('\0') != std::string::npos) {
        fail(number, label + ": a string must not contain a zero byte");
        return false;
      }
    }
    out.push_back(std::move(e));
  }
  return true;
}

void RuleSourceParser::parseRule(const std::string& line, int number) {
  ++ruleLines_;
  const std::vector<std::string> fields = SplitUnescaped(line, kSeparator);
  if (fields.size() < 5) {
    fail(number, "a rule needs the fields MAIN | BEFORE | AFTER | TRANSLATION | CHARS, found " +
                     std::to_string(fields.size()));
    return;
  }
  if (fields.size() > 7) {
    fail(number, "too many fields: " + std::to_string(fields.size()) + " (at most 7)");
    return;
  }
  RuleRecord rule;
  rule.line = number;

  std::string main;
  if (!decodeField(fields[0], "MAIN", number, main)) return;
  if (main.size() != 1) {
    fail(number, "MAIN must be exactly one character, found " + std::to_string(main.size()));
    return;
  }
  rule.mainChar = static_cast<uint8_t>(main[0]);

  if (!parseContext(fields[1], "BEFORE", number, rule.before)) return;
  if (!parseContext(fields[2], "AFTER", number, rule.after)) return;

  if (fields[3] != "-" && !decodeField(fields[3], "TRANSLATION", number, rule.translation)) return;
  if (rule.translation.find('\0') != std::string::npos) {
    fail(number, "TRANSLATION: a string must not contain a zero byte");
    return;
  }

  uint32_t chars = 0;
  if (!IsDigits(fields[4]) || !ReadNumber(fields[4], 255, chars) || chars == 0) {
    fail(number, "CHARS must be a number from 1 to 255, not '" + fields[4] + "'");
    return;
  }
  rule.charsTranslated = static_cast<uint8_t>(chars);

  bool sawOff = false;
  bool sawCounter = false;
  for (std::size_t k = 5; k < fields.size(); ++k) {
    const std::string& option = fields[k];
    if (option == "off") {
      if (sawOff) {
        fail(number, "off is given twice");
        return;
      }
      sawOff = true;
      rule.enabled = 0;
    } else if (option.compare(0, 8, "counter=") == 0) {
      if (sawCounter) {
        fail(number, "counter= is given twice");
        return;
      }
      sawCounter = true;
      std::string digits = option.substr(8);
      const bool negative = !digits.empty() && digits[0] == '-';
      if (negative) digits.erase(0, 1);
      uint32_t value = 0;
      if (!IsDigits(digits) || !ReadNumber(digits, negative ? kMaxInt32 + 1 : kMaxInt32, value)) {
        fail(number, "counter must be a whole number from -2147483648 to 2147483647, not '" +
                         option.substr(8) + "'");
        return;
      }
      rule.counter = negative ? static_cast<int32_t>(-static_cast<int64_t>(value))
                              : static_cast<int32_t>(value);
    } else {
      fail(number, "unknown option '" + option + "' (off or counter=N)");
      return;
    }
  }
  set_.rules.push_back(std::move(rule));
}

}  // namespace rulec
