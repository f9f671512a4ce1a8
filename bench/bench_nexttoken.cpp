// Cutting a text into lines with the engine's tokenizer, as the synthesis
// module cuts the phone text: the cost per line for 10,000 to a million
// lines, which stays the same when the cutting is linear.
#include <chrono>
#include <cstdio>
#include <string>

#include "engine/base/VStr.h"

int main() {
  using Clock = std::chrono::steady_clock;
  const std::string line = "a 90 (0,120) (50,118) (100,116)\n";
  for (const std::size_t lines : {10000u, 100000u, 1000000u}) {
    std::string text;
    text.reserve(lines * line.size());
    for (std::size_t i = 0; i < lines; ++i) text += line;
    const auto start = Clock::now();
    std::size_t count = 0;
    const char* cursor = text.c_str();
    while (char* token = VStr::NextToken(&cursor, "\n")) {
      ++count;
      VStr::Release(&token);
    }
    const double s = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("%8zu lines: %7.1f ms, %5.1f ns per line\n", count, s * 1e3, s * 1e9 / count);
  }
  return 0;
}
