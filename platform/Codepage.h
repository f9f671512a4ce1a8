// Conversion between UTF-8 (what crosses the programming interface and the
// remote control) and Windows-1253 (what the engine works in internally).
#pragma once

#include <string>
#include <string_view>

namespace platform {

// UTF-8 to Windows-1253. A character that Windows-1253 lacks gets a plain
// stand-in where one is obvious: polytonic Greek its monotonic letter (the
// tonos for any accent, the dialytika kept, breathings and iota subscripts
// dropped); a Latin letter of U+00C0..U+024F its ASCII letter without
// diacritics, or two ("ss", "ae", "oe"...); a combining mark joins the
// letter before it where Windows-1253 has the pair, and is dropped
// otherwise; the Greek question mark becomes ';', the ano teleia 0xB7,
// fullwidth ASCII its ASCII, the minus and hyphens '-', primes quotes. Any
// other such character, and every malformed UTF-8 sequence, becomes one
// blank. The bytes of Windows-1253 convert back unchanged.
std::string Utf8ToCp1253(std::string_view utf8);

// Windows-1253 to UTF-8. The few byte values that Windows-1253 leaves
// undefined become a blank.
std::string Cp1253ToUtf8(std::string_view cp1253);

// The Unicode code point of one Windows-1253 byte (0 for an undefined byte).
char32_t Cp1253ToCodePoint(unsigned char byte);

// The Windows-1253 byte of a code point, or 0 when the code page lacks it
// (the code point 0 itself also gives 0).
unsigned char CodePointToCp1253(char32_t cp);

}  // namespace platform
