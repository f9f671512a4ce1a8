#include "platform/Codepage.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using platform::Cp1253ToUtf8;
using platform::Utf8ToCp1253;

// The upper half of Windows-1253 in runs of consecutive code points; the
// bytes of no run are undefined.
struct CodeRun {
  unsigned first, last;
  char32_t codePoint;
};
constexpr CodeRun kRuns[] = {
    {0x80, 0x80, 0x20AC}, {0x82, 0x82, 0x201A}, {0x83, 0x83, 0x0192}, {0x84, 0x84, 0x201E},
    {0x85, 0x85, 0x2026}, {0x86, 0x87, 0x2020}, {0x89, 0x89, 0x2030}, {0x8B, 0x8B, 0x2039},
    {0x91, 0x92, 0x2018}, {0x93, 0x94, 0x201C}, {0x95, 0x95, 0x2022}, {0x96, 0x97, 0x2013},
    {0x99, 0x99, 0x2122}, {0x9B, 0x9B, 0x203A}, {0xA0, 0xA0, 0x00A0}, {0xA1, 0xA2, 0x0385},
    {0xA3, 0xA9, 0x00A3}, {0xAB, 0xAE, 0x00AB}, {0xAF, 0xAF, 0x2015}, {0xB0, 0xB3, 0x00B0},
    {0xB4, 0xB4, 0x0384}, {0xB5, 0xB7, 0x00B5}, {0xB8, 0xBA, 0x0388}, {0xBB, 0xBB, 0x00BB},
    {0xBC, 0xBC, 0x038C}, {0xBD, 0xBD, 0x00BD}, {0xBE, 0xD1, 0x038E}, {0xD3, 0xFE, 0x03A3},
};

TEST(CodepageTest, EveryByteOfTheUpperHalfConvertsBothWaysOrBecomesABlank) {
  char32_t expected[256] = {};
  for (const CodeRun& run : kRuns) {
    for (unsigned b = run.first; b <= run.last; ++b) expected[b] = run.codePoint + (b - run.first);
  }
  for (unsigned b = 0x80; b < 0x100; ++b) {
    SCOPED_TRACE(b);
    EXPECT_EQ(platform::Cp1253ToCodePoint(static_cast<unsigned char>(b)), expected[b]);
    const std::string byte(1, static_cast<char>(b));
    if (expected[b] == 0) {
      EXPECT_EQ(Cp1253ToUtf8("a" + byte), "a ");
    } else {
      EXPECT_EQ(Utf8ToCp1253(Cp1253ToUtf8(byte)), byte);
      EXPECT_EQ(platform::CodePointToCp1253(expected[b]), b);
    }
  }
}

TEST(CodepageTest, WhatTheCodePageLacksAndMalformedUtf8BecomeBlanks) {
  const std::pair<std::string, std::string> rows[] = {{"aжb", "a b"},
                                                      {"x😀y", "x y"},
                                                      {"\x80", " "},
                                                      {std::string("\xCE") + "a", " a"},
                                                      {"\xE2\x82\xE2\x82\xAC", " \x80"},
                                                      {"\xC0\xAF", "  "},
                                                      {"\xED\xA0\x80", "   "},
                                                      {"\xF4\x90\x80\x80", "    "},
                                                      {"\xFE\xFF", "  "},
                                                      {"\xCE\xB1\x80\xCE\xB2", "\xE1 \xE2"}};
  for (const auto& [in, out] : rows) EXPECT_EQ(Utf8ToCp1253(in), out) << testing::PrintToString(in);
  const std::string utf8 = "Καλημέρα σας! Ώρα για ΰ, ΐ και «εισαγωγικά» — 5€.";
  const std::string cp1253 =
      "\xCA\xE1\xEB\xE7\xEC\xDD\xF1\xE1 \xF3\xE1\xF2! \xBF\xF1\xE1 \xE3\xE9\xE1 \xE0, \xC0 "
      "\xEA\xE1\xE9 \xAB\xE5\xE9\xF3\xE1\xE3\xF9\xE3\xE9\xEA\xDC\xBB \x97 5\x80.";
  EXPECT_EQ(Utf8ToCp1253(utf8), cp1253);
  EXPECT_EQ(Cp1253ToUtf8(cp1253), utf8);
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

}  // namespace
