#include "Codepage.h"

#include <array>

namespace platform {
namespace {

// Code points of the bytes 0x80 to 0xFF; 0 marks a byte without a character.
constexpr char16_t kHighHalf[128] = {
    0x20AC, 0x0000, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x0000, 0x2030, 0x0000, 0x2039,
    0x0000, 0x0000, 0x0000, 0x0000, 0x0000, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0000, 0x2122, 0x0000, 0x203A, 0x0000, 0x0000, 0x0000, 0x0000, 0x00A0, 0x0385, 0x0386, 0x00A3,
    0x00A4, 0x00A5, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x0000, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x2015,
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x0384, 0x00B5, 0x00B6, 0x00B7, 0x0388, 0x0389, 0x038A, 0x00BB,
    0x038C, 0x00BD, 0x038E, 0x038F, 0x0390, 0x0391, 0x0392, 0x0393, 0x0394, 0x0395, 0x0396, 0x0397,
    0x0398, 0x0399, 0x039A, 0x039B, 0x039C, 0x039D, 0x039E, 0x039F, 0x03A0, 0x03A1, 0x0000, 0x03A3,
    0x03A4, 0x03A5, 0x03A6, 0x03A7, 0x03A8, 0x03A9, 0x03AA, 0x03AB, 0x03AC, 0x03AD, 0x03AE, 0x03AF,
    0x03B0, 0x03B1, 0x03B2, 0x03B3, 0x03B4, 0x03B5, 0x03B6, 0x03B7, 0x03B8, 0x03B9, 0x03BA, 0x03BB,
    0x03BC, 0x03BD, 0x03BE, 0x03BF, 0x03C0, 0x03C1, 0x03C2, 0x03C3, 0x03C4, 0x03C5, 0x03C6, 0x03C7,
    0x03C8, 0x03C9, 0x03CA, 0x03CB, 0x03CC, 0x03CD, 0x03CE, 0x0000,
};

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Decodes one UTF-8 sequence at text[i]; advances i past it. Returns
// 0xFFFFFFFF for a malformed sequence; i then moves past its longest valid
// prefix (at least one byte), so each malformed sequence counts once.
// Overlong forms, surrogates and values above U+10FFFF are rejected at their
// second byte.
char32_t DecodeOne(std::string_view text, size_t& i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  constexpr char32_t kBad = 0xFFFFFFFF;
  if (lead < 0x80) {
    ++i;
    return lead;
  }
  size_t extra;
  char32_t cp;
  unsigned char low = 0x80;  // allowed range of the second byte
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    extra = 1, cp = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    extra = 2, cp = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    extra = 3, cp = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    ++i;
    return kBad;
  }
  for (size_t k = 1; k <= extra; ++k) {
    const bool inRange = i + k < text.size() && (k == 1 ? byte(i + k) >= low && byte(i + k) <= high
                                                        : (byte(i + k) & 0xC0) == 0x80);
    if (!inRange) {
      i += k;
      return kBad;
    }
    cp = (cp << 6) | (byte(i + k) & 0x3F);
  }
  i += extra + 1;
  return cp;
}

}  // namespace

char32_t Cp1253ToCodePoint(unsigned char byte) {
  return byte < 0x80 ? byte : kHighHalf[byte - 0x80];
}

unsigned char CodePointToCp1253(char32_t cp) {
  if (cp < 0x80) return static_cast<unsigned char>(cp);
  // Greek letters are the common case: they form one run from 0x0384.
  if (cp >= 0x0384 && cp <= 0x03CE) {
    const unsigned char guess = static_cast<unsigned char>(cp - 0x0390 + 0xC0);
    if (cp >= 0x0390 && kHighHalf[guess - 0x80] == cp) return guess;
  }
  for (int b = 0; b < 128; ++b) {
    if (kHighHalf[b] != 0 && kHighHalf[b] == cp) return static_cast<unsigned char>(0x80 + b);
  }
  return 0;
}

std::string Utf8ToCp1253(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    const char32_t cp = DecodeOne(utf8, i);
    const unsigned char b = cp == 0xFFFFFFFF ? 0 : CodePointToCp1253(cp);
    out += (b == 0 && cp != 0) ? ' ' : static_cast<char>(b);
  }
  return out;
}

std::string Cp1253ToUtf8(std::string_view cp1253) {
  std::string out;
  out.reserve(cp1253.size() * 2);
  for (char c : cp1253) {
    const auto byte = static_cast<unsigned char>(c);
    const char32_t cp = Cp1253ToCodePoint(byte);
    AppendUtf8(out, (cp == 0 && byte != 0) ? U' ' : cp);
  }
  return out;
}

}  // namespace platform
