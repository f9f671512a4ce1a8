// The code page at the interface (platform/Codepage): any bytes as
// Windows-1253 and as UTF-8.
#include "platform/Codepage.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tools/scramble/SourceText.h"

const tm_fuzz::Target tm_fuzz::kTarget{2, 4096, nullptr};

void tm_fuzz::FuzzOne(std::string_view bytes) {
  std::string defined(bytes);
  for (char& c : defined) {
    if (c != 0 && platform::Cp1253ToCodePoint(static_cast<unsigned char>(c)) == 0) c = ' ';
  }
  Check(platform::Utf8ToCp1253(platform::Cp1253ToUtf8(bytes)) == defined,
        "Windows-1253 survives UTF-8");
  const std::string engine = platform::Utf8ToCp1253(bytes);
  Check(engine.size() <= bytes.size(), "no byte of UTF-8 gives two characters");
  Check(platform::Utf8ToCp1253(platform::Cp1253ToUtf8(engine)) == engine,
        "a converted text converts back to itself");
  std::string strict;
  std::string reason;
  if (scramble::Utf8ToCodePage(bytes, strict, reason)) {
    Check(strict == engine, "the strict converter agrees where it accepts");
  }
}
