// The code page at the interface (platform/Codepage): any bytes taken as
// Windows-1253 and as UTF-8. Windows-1253 survives the round trip through
// UTF-8 (its undefined bytes as blanks), a converted text converts back to
// itself, and the strict converter of the data tools agrees wherever it
// accepts a text.
#include "platform/Codepage.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tools/scramble/SourceText.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  tm_fuzz::Initialize(argc, argv, {"-timeout=2", "-max_len=4096"});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes = tm_fuzz::Bytes(data, size);
  std::string defined(bytes);
  for (char& c : defined) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte != 0 && platform::Cp1253ToCodePoint(byte) == 0) c = ' ';
    if (byte != 0 && c != ' ') {
      tm_fuzz::Check(platform::CodePointToCp1253(platform::Cp1253ToCodePoint(byte)) == byte,
                     "a defined byte maps back to itself");
    }
  }
  tm_fuzz::Check(platform::Utf8ToCp1253(platform::Cp1253ToUtf8(bytes)) == defined,
                 "Windows-1253 survives UTF-8");

  const std::string engine = platform::Utf8ToCp1253(bytes);
  tm_fuzz::Check(engine.size() <= bytes.size(), "no byte of UTF-8 gives two characters");
  tm_fuzz::Check(platform::Utf8ToCp1253(platform::Cp1253ToUtf8(engine)) == engine,
                 "a converted text converts back to itself");
  std::string strict;
  std::string reason;
  if (scramble::Utf8ToCodePage(bytes, strict, reason)) {
    tm_fuzz::Check(strict == engine, "the strict converter agrees where it accepts");
  }
  return 0;
}
