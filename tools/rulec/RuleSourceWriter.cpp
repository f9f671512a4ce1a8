#include "tools/rulec/RuleSourceWriter.h"

#include <cstdint>
#include <cstdio>

#include "platform/Codepage.h"

namespace rulec {
namespace {

std::string HexEscape(unsigned char byte) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "\\x%02X", static_cast<unsigned>(byte));
  return buf;
}

std::string Hex2(unsigned char byte) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02X", static_cast<unsigned>(byte));
  return buf;
}

std::string Context(const std::vector<RuleElement>& context) {
  if (context.empty()) return "-";
  std::string out;
  for (const RuleElement& e : context) {
    if (!out.empty()) out += ' ';
    out += RuleSourceWriter::escape(e.op, RuleSourceWriter::Field::kOperator);
    out += ':';
    out += RuleSourceWriter::escape(e.repetition, RuleSourceWriter::Field::kRepetition);
    out += ':';
    out += RuleSourceWriter::escape(e.set, RuleSourceWriter::Field::kSet);
  }
  return out;
}

}  // namespace

std::string RuleSourceWriter::escape(const std::string& bytes, Field field) {
  const bool inElement =
      field == Field::kOperator || field == Field::kRepetition || field == Field::kSet;
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    switch (byte) {
      case ' ':
        out += "\\s";
        continue;
      case '\t':
        out += "\\t";
        continue;
      case '|':
        out += "\\|";
        continue;
      case '\\':
        if (field == Field::kSet && i + 1 < bytes.size() && bytes[i + 1] == '0') {
          out += "\\0";
          ++i;
        } else {
          out += "\\\\";
        }
        continue;
      case ':':
        out += inElement ? "\\:" : ":";
        continue;
      case '$':
        // A set names other sets with '$'.
        out += field == Field::kSet ? "\\$" : "$";
        continue;
      case '#':
      case '@':
        // A main char opens the line, where these would start a comment or a directive.
        out += field == Field::kMain ? HexEscape(byte) : std::string(1, static_cast<char>(byte));
        continue;
      default:
        break;
    }
    const char32_t cp = platform::Cp1253ToCodePoint(byte);
    // Control characters, undefined bytes and the invisible no-break space and
    // soft hyphen are written as raw bytes so that they stay visible.
    if (byte < 0x20 || byte == 0x7F || (byte >= 0x80 && cp == 0) || byte == 0xA0 || byte == 0xAD) {
      out += HexEscape(byte);
    } else {
      out += platform::Cp1253ToUtf8(std::string(1, static_cast<char>(byte)));
    }
  }
  if (field == Field::kTranslation) {
    if (out.empty()) return "-";
    if (out == "-") return "\\-";
  }
  return out;
}

std::string RuleSourceWriter::write(const RuleSet& set) {
  std::string out;
  out += "# Rule collection written by tm_rulec dump.\n";
  if (set.outputUnknown > 1) {
    out += "# note: the output-unknown byte is 0x" + Hex2(set.outputUnknown) +
           "; compiled again it becomes 0x01\n";
  }
  out += set.outputUnknown != 0 ? "@output-unknown yes\n" : "@output-unknown no\n";
  if (set.fontFlag != 0) {
    if (set.fontFlag != 1) {
      out +=
          "# note: the font flag is 0x" + Hex2(set.fontFlag) + "; compiled again it becomes 0x01\n";
    }
    out += "@font ";
    for (uint8_t b : set.font) out += Hex2(b);
    out += '\n';
  }
  out += "# MAIN | BEFORE | AFTER | TRANSLATION | CHARS [| off] [| counter=N]\n";
  for (const RuleRecord& rule : set.rules) {
    if (rule.enabled > 1) {
      out += "# note: the Enabled byte of the next rule is 0x" + Hex2(rule.enabled) +
             "; compiled again it becomes 0x01\n";
    }
    out += escape(std::string(1, static_cast<char>(rule.mainChar)), Field::kMain);
    out += " | " + Context(rule.before);
    out += " | " + Context(rule.after);
    out += " | " + escape(rule.translation, Field::kTranslation);
    out += " | " + std::to_string(rule.charsTranslated);
    if (rule.enabled == 0) out += " | off";
    if (rule.counter != 0) out += " | counter=" + std::to_string(rule.counter);
    out += '\n';
  }
  return out;
}

}  // namespace rulec
