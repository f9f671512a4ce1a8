#include "platform/Codepage.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

namespace {

using platform::Cp1253ToUtf8;
using platform::Utf8ToCp1253;

// The code point of each byte comes from the C library's converter, which
// refuses the undefined bytes.
TEST(CodepageTest, EveryByteOfTheUpperHalfConvertsBothWaysOrBecomesABlank) {
  const iconv_t toUtf32 = iconv_open("UTF-32LE", "CP1253");
  ASSERT_NE(toUtf32, reinterpret_cast<iconv_t>(-1));
  for (unsigned b = 0x80; b < 0x100; ++b) {
    SCOPED_TRACE(b);
    char in = static_cast<char>(b), *from = &in;
    char32_t expected = 0;
    char* to = reinterpret_cast<char*>(&expected);
    std::size_t inLeft = 1, outLeft = sizeof expected;
    iconv(toUtf32, &from, &inLeft, &to, &outLeft);
    EXPECT_EQ(platform::Cp1253ToCodePoint(static_cast<unsigned char>(b)), expected);
    const std::string byte(1, static_cast<char>(b));
    if (expected == 0) {
      EXPECT_EQ(Cp1253ToUtf8("a" + byte), "a ");
    } else {
      EXPECT_EQ(Utf8ToCp1253(Cp1253ToUtf8(byte)), byte);
      EXPECT_EQ(platform::CodePointToCp1253(expected), b);
    }
  }
  iconv_close(toUtf32);
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
