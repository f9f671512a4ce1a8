#include "Codepage.h"

#include <array>
#include <string_view>

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

// Stand-ins for the characters that Windows-1253 lacks, so that pasted text
// keeps its letters and punctuation.

// The monotonic letter of each code point from U+1F00 (polytonic Greek):
// with the tonos for an acute, grave or circumflex, the dialytika kept,
// breathings and iota subscripts dropped; a blank where no letter is.
constexpr char32_t kPolytonicFirst = 0x1F00;
constexpr std::u16string_view kPolytonic =
    u"ααάάάάάάΑΑΆΆΆΆΆΆ"   // U+1F00
    u"εεέέέέ  ΕΕΈΈΈΈ  "   // U+1F10
    u"ηηήήήήήήΗΗΉΉΉΉΉΉ"   // U+1F20
    u"ιιίίίίίίΙΙΊΊΊΊΊΊ"   // U+1F30
    u"οοόόόό  ΟΟΌΌΌΌ  "   // U+1F40
    u"υυύύύύύύ Υ Ύ Ύ Ύ"   // U+1F50
    u"ωωώώώώώώΩΩΏΏΏΏΏΏ"   // U+1F60
    u"άάέέήήίίόόύύώώ  "   // U+1F70
    u"ααάάάάάάΑΑΆΆΆΆΆΆ"   // U+1F80
    u"ηηήήήήήήΗΗΉΉΉΉΉΉ"   // U+1F90
    u"ωωώώώώώώΩΩΏΏΏΏΏΏ"   // U+1FA0
    u"ααάαά άάΑΑΆΆΑ ι "   // U+1FB0
    u"  ήηή ήήΈΈΉΉΗ   "   // U+1FC0
    u"ιιΐΐ  ίΐΙΙΊΊ    "   // U+1FD0
    u"υυΰΰρρύΰΥΥΎΎΡ   "   // U+1FE0
    u"  ώωώ ώώΌΌΏΏΩ   ";  // U+1FF0
static_assert(kPolytonic.size() == 0x100);

// The ASCII letter of each code point from U+00C0 (Latin letters with
// diacritics); '*' where kSpelled spells the letter with two, a blank where
// no letter is.
constexpr char32_t kLatinFirst = 0x00C0;
constexpr std::u16string_view kLatin =
    u"AAAAAA*CEEEEIIII"   // U+00C0
    u"DNOOOOO OUUUUY**"   // U+00D0
    u"aaaaaa*ceeeeiiii"   // U+00E0
    u"dnooooo ouuuuy*y"   // U+00F0
    u"AaAaAaCcCcCcCcDd"   // U+0100
    u"DdEeEeEeEeEeGgGg"   // U+0110
    u"GgGgHhHhIiIiIiIi"   // U+0120
    u"Ii**JjKk LlLlLlL"   // U+0130
    u"lLlNnNnNnnNnOoOo"   // U+0140
    u"Oo**RrRrRrSsSsSs"   // U+0150
    u"SsTtTtTtUuUuUuUu"   // U+0160
    u"UuUuWwYyYZzZzZzs"   // U+0170
    u"bBBb  OCcDDDd EE"   // U+0180
    u"EFfG  IIKkl  NnO"   // U+0190
    u"Oo  Pp     tTtTU"   // U+01A0
    u"u VYyZz         "   // U+01B0
    u"    *********AaI"   // U+01C0
    u"iOoUuUuUuUuUueAa"   // U+01D0
    u"Aa**GgGgKkOoOo  "   // U+01E0
    u"j***Gg  NnAa**Oo"   // U+01F0
    u"AaAaEeEeIiIiOoOo"   // U+0200
    u"RrRrUuUuSsTt  Hh"   // U+0210
    u"Nd  ZzAaEeOoOoOo"   // U+0220
    u"OoYylntj  ACcLTs"   // U+0230
    u"z  BU EeJjQqRrYy";  // U+0240
static_assert(kLatin.size() == 0x250 - kLatinFirst);

// Entries of three: a letter, then the two that spell it.
constexpr std::u16string_view kSpelled =
    u"ÆAEÞTHßssæaeþthĲIJĳijŒOEœoeǄDZǅDzǆdzǇLJǈLjǉljǊNJǋNjǌnjǢAEǣaeǱDZǲDzǳdzǼAEǽae";

// Entries of two: a sign, then its plain form (the Greek question mark, the
// ano teleia, hyphens and the minus, primes, the modifier apostrophe, the
// fraction slash).
constexpr std::u16string_view kSigns =
    u"\u037E;\u0387\u00B7\u2010-\u2011-\u2012-\u2212-\u2032'\u2033\"\u02BC\u2019\u2044/";

// The fullwidth forms of ASCII lie this far above it.
constexpr char32_t kFullwidthFirst = 0xFF01;
constexpr char32_t kFullwidthLast = 0xFF5E;
constexpr char32_t kFullwidthOffset = 0xFEE0;

// Combining marks: those that put a tonos on the letter before them (grave,
// acute, perispomeni and their canonical twins), those that put a
// dialytika, and the Greek letters that take them.
constexpr char32_t kMarksFirst = 0x0300;
constexpr char32_t kMarksLast = 0x036F;
constexpr std::u16string_view kTonosMarks = u"\u0300\u0301\u0340\u0341\u0342\u0344";
constexpr std::u16string_view kDialytikaMarks = u"\u0308\u0344";
constexpr std::u16string_view kWithoutTonos = u"αεηιουωΑΕΗΙΟΥΩϊϋ";
constexpr std::u16string_view kWithTonos = u"άέήίόύώΆΈΉΊΌΎΏΐΰ";
constexpr std::u16string_view kWithoutDialytika = u"ιυΙΥίύ";
constexpr std::u16string_view kWithDialytika = u"ϊϋΪΫΐΰ";

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

// What DecodeOne gives for a malformed sequence.
constexpr char32_t kMalformed = 0xFFFFFFFF;

// Decodes one UTF-8 sequence at text[i]; advances i past it. Returns
// kMalformed for a malformed sequence; i then moves past its longest valid
// prefix (at least one byte), so each malformed sequence counts once.
// Overlong forms, surrogates and values above U+10FFFF are rejected at their
// second byte.
char32_t DecodeOne(std::string_view text, size_t& i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
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
    return kMalformed;
  }
  for (size_t k = 1; k <= extra; ++k) {
    const bool inRange = i + k < text.size() && (k == 1 ? byte(i + k) >= low && byte(i + k) <= high
                                                        : (byte(i + k) & 0xC0) == 0x80);
    if (!inRange) {
      i += k;
      return kMalformed;
    }
    cp = (cp << 6) | (byte(i + k) & 0x3F);
  }
  i += extra + 1;
  return cp;
}

// The entry of key in a table of entries of width characters (the key, then
// what stands for it); an empty view when key has none.
std::u16string_view Lookup(std::u16string_view table, size_t width, char32_t key) {
  for (size_t at = 0; at + width <= table.size(); at += width) {
    if (table[at] == key) return table.substr(at + 1, width - 1);
  }
  return {};
}

// The code points that stand for a character (not a combining mark) that
// Windows-1253 lacks; a blank when nothing does.
std::u16string_view StandIn(char32_t cp) {
  if (cp >= kLatinFirst && cp - kLatinFirst < kLatin.size()) {
    const std::u16string_view letter = kLatin.substr(cp - kLatinFirst, 1);
    return letter == u"*" ? Lookup(kSpelled, 3, cp) : letter;
  }
  if (cp >= kPolytonicFirst && cp - kPolytonicFirst < kPolytonic.size()) {
    return kPolytonic.substr(cp - kPolytonicFirst, 1);
  }
  const std::u16string_view sign = Lookup(kSigns, 2, cp);
  return sign.empty() ? u" " : sign;
}

// Puts a combining mark on the last letter of out where Windows-1253 has
// that letter with the mark; otherwise the mark is dropped.
void Combine(std::string& out, char32_t mark) {
  if (out.empty()) return;
  const auto put = [&](std::u16string_view marks, std::u16string_view from,
                       std::u16string_view to) {
    const char32_t last = Cp1253ToCodePoint(static_cast<unsigned char>(out.back()));
    const size_t at = from.find(static_cast<char16_t>(last));
    if (marks.find(static_cast<char16_t>(mark)) != marks.npos && at != from.npos) {
      out.back() = static_cast<char>(CodePointToCp1253(to[at]));
    }
  };
  put(kDialytikaMarks, kWithoutDialytika, kWithDialytika);
  put(kTonosMarks, kWithoutTonos, kWithTonos);
}

// Appends what stands in Windows-1253 for a code point that it lacks.
void AppendStandIn(std::string& out, char32_t cp) {
  if (cp >= kMarksFirst && cp <= kMarksLast) {
    Combine(out, cp);
  } else if (cp >= kFullwidthFirst && cp <= kFullwidthLast) {
    out += static_cast<char>(cp - kFullwidthOffset);
  } else {
    for (const char16_t c : StandIn(cp)) out += static_cast<char>(CodePointToCp1253(c));
  }
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
    const unsigned char b = cp == kMalformed ? 0 : CodePointToCp1253(cp);
    if (b != 0 || cp == 0) {
      out += static_cast<char>(b);
    } else if (cp == kMalformed) {
      out += ' ';
    } else {
      AppendStandIn(out, cp);
    }
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
