// The stand-ins for the Windows services: the code page, the exit hook,
// message boxes and the registry.
#include <gtest/gtest.h>
#include <iconv.h>

#include <cstdio>
#include <string>

#include "platform/Codepage.h"
#include "platform/ExitHook.h"
#include "platform/MessageBox.h"
#include "platform/Registry.h"
#include "tests/common/TestSupport.h"

namespace {

using platform::Cp1253ToUtf8;
using platform::Utf8ToCp1253;
using testing_support::ReadFile;
using testing_support::ScopedEnv;
using testing_support::TempDir;

TEST(ExitHookDeathTest, TheProcessEndsWithTheCodeAndItsBuffersFlushedEvenWhenAHookReturns) {
  TempDir dir;
  EXPECT_EXIT(
      {
        std::FILE* file = std::fopen((dir / "out.txt").c_str(), "w");
        std::fputs("written before the exit", file);
        platform::ExitProcess(541);
      },
      testing::ExitedWithCode(541 & 0xFF), "");  // a parent sees the low eight bits
  EXPECT_EQ(ReadFile(dir / "out.txt"), "written before the exit");
  EXPECT_EXIT(
      {
        platform::SetExitHook([](int code) { std::fprintf(stderr, "hook saw %d\n", code); });
        platform::ExitProcess(550);
      },
      testing::ExitedWithCode(550 & 0xFF), "hook saw 550");
}

TEST(MessageBoxTest, TheDefaultSinkWritesCaptionAndTextToStandardError) {
  const platform::MessageSink previous = platform::SetMessageSink(nullptr);
  testing::internal::CaptureStderr();
  platform::ShowMessageBox("Tamrin Engine", "Error: parameter [x] was not found");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "[Tamrin Engine] Error: parameter [x] was not found\n");
  platform::SetMessageSink(previous);
}

TEST(RegistryTest, KeysAreFoldersOfTheConfigurationHomeAndValuesFiles) {
  const char key[] = "Software\\Quenmoor\\ZORVALIS";
  TempDir root;
  ScopedEnv xdg("XDG_CONFIG_HOME", root.path().c_str());
  const auto query = [&](std::string& data, size_t size = 900) {
    platform::RegistryKey handle;
    const long opened = platform::RegistryOpenKey(key, handle);
    return opened != platform::kRegSuccess
               ? opened
               : platform::RegistryQueryValue(handle, "path", data, size);
  };
  std::string data = "untouched";
  EXPECT_EQ(query(data), 2);  // no key
  const std::pair<std::string, std::string> rows[] = {
      {"/opt/z", "/opt/z"},
      {"/opt/z\r\n", "/opt/z"},
      {"/opt/z\n\n", "/opt/z\n"},
      {std::string(899, 'p'), std::string(899, 'p')}};
  for (const auto& [stored, expected] : rows) {
    ASSERT_EQ(platform::RegistrySetValue(key, "path", stored), platform::kRegSuccess);
    EXPECT_EQ(ReadFile(root / "Quenmoor/ZORVALIS/path"), stored);
    EXPECT_EQ(query(data), platform::kRegSuccess);
    EXPECT_EQ(data, expected);
  }
  platform::RegistrySetValue(key, "path", std::string(900, 'p'));
  EXPECT_EQ(query(data), 234);  // does not fit
  EXPECT_EQ(query(data, 901), platform::kRegSuccess);
  TempDir home;
  ScopedEnv homeEnv("HOME", home.path().c_str());
  for (const char* value : {static_cast<const char*>(nullptr), "", "relative/dir"}) {
    ScopedEnv unset("XDG_CONFIG_HOME", value);
    EXPECT_EQ(platform::RegistryKeyDirectory(key), home / ".config/Quenmoor/ZORVALIS");
  }
}

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
      // The no-break space has its byte; the narrow one, the thin and the
      // figure space arrive as blanks.
      {"a\u00a0b\u202fc\u2009d\u2007e", "a\u00a0b c d e"},
  };
  for (const auto& [in, out] : rows) EXPECT_EQ(Cp1253ToUtf8(Utf8ToCp1253(in)), out) << in;
}

}  // namespace
