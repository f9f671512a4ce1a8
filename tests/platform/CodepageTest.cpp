#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Codepage.h"

namespace {

using platform::Cp1253ToUtf8;
using platform::Utf8ToCp1253;

// Windows-1253 above 0x7F as runs of bytes whose code points rise by one.
struct Run {
  unsigned first;
  unsigned last;
  char32_t firstCodePoint;
};
constexpr Run kRuns[] = {
    {0x80, 0x80, 0x20AC}, {0x82, 0x82, 0x201A}, {0x83, 0x83, 0x0192}, {0x84, 0x84, 0x201E},
    {0x85, 0x85, 0x2026}, {0x86, 0x87, 0x2020}, {0x89, 0x89, 0x2030}, {0x8B, 0x8B, 0x2039},
    {0x91, 0x92, 0x2018}, {0x93, 0x94, 0x201C}, {0x95, 0x95, 0x2022}, {0x96, 0x97, 0x2013},
    {0x99, 0x99, 0x2122}, {0x9B, 0x9B, 0x203A}, {0xA0, 0xA0, 0x00A0}, {0xA1, 0xA2, 0x0385},
    {0xA3, 0xA9, 0x00A3}, {0xAB, 0xAE, 0x00AB}, {0xAF, 0xAF, 0x2015}, {0xB0, 0xB3, 0x00B0},
    {0xB4, 0xB4, 0x0384}, {0xB5, 0xB7, 0x00B5}, {0xB8, 0xBA, 0x0388}, {0xBB, 0xBB, 0x00BB},
    {0xBC, 0xBC, 0x038C}, {0xBD, 0xBD, 0x00BD}, {0xBE, 0xD1, 0x038E}, {0xD3, 0xFE, 0x03A3},
};
constexpr unsigned kUndefined[] = {0x81, 0x88, 0x8A, 0x8C, 0x8D, 0x8E, 0x8F, 0x90, 0x98,
                                   0x9A, 0x9C, 0x9D, 0x9E, 0x9F, 0xAA, 0xD2, 0xFF};

// Encodes a code point as UTF-8, independently of the code under test.
std::string Utf8(char32_t cp) {
  std::string s;
  if (cp < 0x80) {
    s += static_cast<char>(cp);
  } else if (cp < 0x800) {
    s += static_cast<char>(0xC0 | (cp >> 6));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    s += static_cast<char>(0xE0 | (cp >> 12));
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | (cp >> 18));
    s += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  }
  return s;
}

std::string Byte(unsigned b) { return std::string(1, static_cast<char>(b)); }

std::vector<std::pair<unsigned, char32_t>> DefinedBytes() {
  std::vector<std::pair<unsigned, char32_t>> bytes;
  for (const Run& run : kRuns) {
    for (unsigned b = run.first; b <= run.last; ++b) {
      bytes.emplace_back(b, static_cast<char32_t>(run.firstCodePoint + (b - run.first)));
    }
  }
  return bytes;
}

TEST(CodepageTest, EveryByteOfTheUpperHalfIsDefinedOrUndefined) {
  EXPECT_EQ(DefinedBytes().size() + std::size(kUndefined), 128u);
}

TEST(CodepageTest, EveryDefinedByteConvertsBothWays) {
  for (const auto& [byte, cp] : DefinedBytes()) {
    SCOPED_TRACE(testing::Message() << std::hex << "byte 0x" << byte << " U+" << cp);
    EXPECT_EQ(platform::Cp1253ToCodePoint(static_cast<unsigned char>(byte)), cp);
    EXPECT_EQ(platform::CodePointToCp1253(cp), byte);
    EXPECT_EQ(Cp1253ToUtf8(Byte(byte)), Utf8(cp));
    EXPECT_EQ(Utf8ToCp1253(Utf8(cp)), Byte(byte));
  }
}

TEST(CodepageTest, AsciiAndZeroBytesPassUnchanged) {
  std::string ascii;
  for (int c = 0; c < 0x80; ++c) ascii += static_cast<char>(c);
  EXPECT_EQ(Cp1253ToUtf8(ascii), ascii);
  EXPECT_EQ(Utf8ToCp1253(ascii), ascii);
  EXPECT_EQ(Utf8ToCp1253(""), "");
}

TEST(CodepageTest, UndefinedBytesBecomeBlanks) {
  for (unsigned byte : kUndefined) {
    EXPECT_EQ(platform::Cp1253ToCodePoint(static_cast<unsigned char>(byte)), 0u) << byte;
    EXPECT_EQ(Cp1253ToUtf8("a" + Byte(byte) + "b"), "a b") << std::hex << byte;
  }
}

TEST(CodepageTest, CharactersTheCodePageLacksBecomeOneBlankEach) {
  const std::pair<const char*, const char*> rows[] = {
      {"aжb", "a b"}, {"中文", "  "}, {"x😀y", "x y"}, {"\xC2\x81", " "}, {"Ϗ", " "}};
  for (const auto& [in, out] : rows) EXPECT_EQ(Utf8ToCp1253(in), out) << in;
  EXPECT_EQ(platform::CodePointToCp1253(U'ж'), 0);
  EXPECT_EQ(platform::CodePointToCp1253(0x110000), 0);
}

TEST(CodepageTest, CharactersTheCodePageLacksGetPlainStandIns) {
  const std::pair<const char*, const char*> rows[] = {
      {"Τι κάνεις\u037E Καλά\u0387 εσύ", "Τι κάνεις; Καλά· εσύ"},
      {"ἀλήθεια, ὁ Ἄνθρωπος τῆς ᾠδῆς ῥήτωρ ᾯ ὰ", "αλήθεια, ο Άνθρωπος τής ωδής ρήτωρ Ώ ά"},
      {"\u1FD3 \u1FE3 ῒ ῢ ῗ ῧ", "ΐ ΰ ΐ ΰ ΐ ΰ"},
      {"α\u0313\u0301 ω\u0313\u0345 Ε\u0314\u0300 ο\u0342 ι\u0308\u0301 ύ\u0308 Υ\u0308",
       "ά ω Έ ό ΐ ΰ Ϋ"},
      {"ε\u0308 ά\u0301 \u0301x", "ε ά x"},
      {"café naïve Ñandú façade smørrebrød Ångström cafe\u0301",
       "cafe naive Nandu facade smorrebrod Angstrom cafe"},
      {"Straße Æsir œuvre ÿ ı ł Ș ț ǅ", "Strasse AEsir oeuvre y i l S t Dz"},
      {"3\u22122 e\u2010mail 5\u2032 6\u2033 \uFF1F\uFF01\uFF21", "3-2 e-mail 5' 6\" ?!A"},
      {"×ʃ\u1FBF\u1F16", "    "},
  };
  for (const auto& [in, out] : rows) EXPECT_EQ(Cp1253ToUtf8(Utf8ToCp1253(in)), out) << in;
}

TEST(CodepageTest, MalformedUtf8BecomesBlanks) {
  const std::pair<std::string, std::string> rows[] = {
      {"\x80", " "},                          // lone continuation byte
      {"\xCE", " "},                          // truncated two-byte sequence at the end
      {std::string("\xCE") + "a", " a"},      // ... before text
      {std::string("\xE2\x82") + "A", " A"},  // truncated three-byte sequence
      {"\xE2\x82\xE2\x82\xAC", " \x80"},      // truncated, then a whole euro sign
      {"\xF0\x9F\x98", " "},                  // truncated four-byte sequence
      {"\xC0\xAF", "  "},                     // overlong '/' in two bytes
      {"\xE0\x80\xAF", "   "},                // overlong '/' in three bytes
      {"\xF0\x80\x80\xAF", "    "},           // overlong '/' in four bytes
      {"\xED\xA0\x80", "   "},                // high surrogate
      {"\xF4\x90\x80\x80", "    "},           // above U+10FFFF
      {"\xF8\x88\x80\x80\x80", "     "},      // five-byte form
      {"\xFE\xFF", "  "},                     // bytes never used in UTF-8
      {"\xCE\xB1\x80\xCE\xB2", "\xE1 \xE2"},  // α, stray byte, β
  };
  for (const auto& [in, out] : rows) {
    EXPECT_EQ(Utf8ToCp1253(in), out) << testing::PrintToString(in);
  }
}

TEST(CodepageTest, GreekSentence) {
  const std::string utf8 = "Καλημέρα σας! Ώρα για ΰ, ΐ και «εισαγωγικά» — 5€.";
  const std::string cp1253 =
      "\xCA\xE1\xEB\xE7\xEC\xDD\xF1\xE1 \xF3\xE1\xF2! \xBF\xF1\xE1 \xE3\xE9\xE1 \xE0, \xC0 "
      "\xEA\xE1\xE9 \xAB\xE5\xE9\xF3\xE1\xE3\xF9\xE3\xE9\xEA\xDC\xBB \x97 5\x80.";
  EXPECT_EQ(Utf8ToCp1253(utf8), cp1253);
  EXPECT_EQ(Cp1253ToUtf8(cp1253), utf8);
}

}  // namespace
