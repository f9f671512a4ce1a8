#include "tools/scramble/SourceText.h"

#include <cstdio>
#include <fstream>
#include <iterator>

#include "platform/Codepage.h"

namespace scramble {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr char32_t kMalformed = 0xFFFFFFFF;

// Decodes the UTF-8 sequence at text[i] and moves i past it; kMalformed for
// a sequence that is cut short, overlong, a surrogate or beyond U+10FFFF.
char32_t DecodeUtf8(std::string_view text, size_t& i) {
  const auto at = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = at(i++);
  if (lead < 0x80) return lead;
  int extra = 0;
  char32_t cp = 0;
  char32_t minimum = 0;
  if (lead >= 0xC0 && lead <= 0xDF) {
    extra = 1, cp = lead & 0x1F, minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    extra = 2, cp = lead & 0x0F, minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF7) {
    extra = 3, cp = lead & 0x07, minimum = 0x10000;
  } else {
    return kMalformed;
  }
  for (int k = 0; k < extra; ++k) {
    if (i >= text.size() || (at(i) & 0xC0) != 0x80) return kMalformed;
    cp = (cp << 6) | (at(i++) & 0x3F);
  }
  if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return kMalformed;
  return cp;
}

std::string CodePointName(char32_t cp) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "U+%04X", static_cast<unsigned>(cp));
  return buffer;
}

}  // namespace

std::vector<SourceLine> SplitLines(std::string_view content) {
  if (content.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    content.remove_prefix(kByteOrderMark.size());
  }
  std::vector<SourceLine> lines;
  int number = 0;
  while (!content.empty()) {
    const size_t end = content.find('\n');
    std::string_view line = content.substr(0, end);
    if (end != std::string_view::npos && !line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
    }
    lines.push_back({++number, std::string(line)});
    if (end == std::string_view::npos) break;
    content.remove_prefix(end + 1);
  }
  return lines;
}

bool ReadWholeFile(const std::string& path, std::string& content) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool Utf8ToCodePage(std::string_view utf8, std::string& out, std::string& reason) {
  std::string converted;
  converted.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    const size_t start = i;
    const char32_t cp = DecodeUtf8(utf8, i);
    if (cp == kMalformed) {
      reason = "malformed UTF-8 at byte " + std::to_string(start + 1);
      return false;
    }
    if (cp == 0) {
      reason = "zero character at byte " + std::to_string(start + 1);
      return false;
    }
    const unsigned char byte = platform::CodePointToCp1253(cp);
    if (byte == 0) {
      reason = "character " + CodePointName(cp) + " (" +
               std::string(utf8.substr(start, i - start)) + ") is not in Windows-1253";
      return false;
    }
    converted += static_cast<char>(byte);
  }
  out.swap(converted);
  return true;
}

bool Unescape(std::string_view line, std::string& out, std::string& reason) {
  std::string text;
  text.reserve(line.size());
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] != '\\') {
      text += line[i];
      continue;
    }
    if (++i == line.size()) {
      reason = "a backslash ends the line (write \\\\ for a backslash)";
      return false;
    }
    switch (line[i]) {
      case 'n':
        text += '\n';
        break;
      case 'r':
        text += '\r';
        break;
      case 't':
        text += '\t';
        break;
      case '\\':
        text += '\\';
        break;
      default: {
        const auto c = static_cast<unsigned char>(line[i]);
        reason = c > ' ' && c < 0x7F ? std::string("unknown escape \\") + line[i]
                                     : std::string("unknown escape after a backslash");
        return false;
      }
    }
  }
  out.swap(text);
  return true;
}

std::string Escape(std::string_view text) {
  std::string line;
  line.reserve(text.size());
  for (const char c : text) {
    if (c == '\n') {
      line += "\\n";
    } else if (c == '\r') {
      line += "\\r";
    } else if (c == '\\') {
      line += "\\\\";
    } else {
      line += c;
    }
  }
  return line;
}

std::string Located(const std::string& file, int line, const std::string& reason) {
  return file + ":" + std::to_string(line) + ": " + reason;
}

}  // namespace scramble
