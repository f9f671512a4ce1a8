// The IPA table that hosts show phone strings with covers every phone
// symbol, those that the phone table is still to receive included.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/common/TestSupport.h"

namespace {

using testing_support::ReadLines;

// The first field of the lines of a tab-separated file that are no comment
// (a '#' followed by a tab is a symbol).
std::vector<std::string> FirstFields(const std::string& path) {
  std::vector<std::string> fields;
  for (const std::string& line : ReadLines(path)) {
    if (line.empty() || (line[0] == '#' && line.rfind("#\t", 0) != 0)) continue;
    fields.push_back(line.substr(0, line.find('\t')));
  }
  return fields;
}

TEST(IpaTableTest, TheIpaTableCoversEveryPhoneSymbol) {
  std::vector<std::string> symbols = FirstFields(TM_SOURCE_DIR "/data/phones/greek.phn.src");
  symbols.erase(symbols.begin());  // the column names
  // The symbols that the phone table is still to receive.
  for (const char* later : {"C", "Q", "L", "J", "N", "S", "Z"}) symbols.emplace_back(later);
  const std::vector<std::string> ipa = FirstFields(TM_SOURCE_DIR "/data/phones/ipa.txt");
  for (const std::string& symbol : symbols) {
    EXPECT_NE(std::find(ipa.begin(), ipa.end(), symbol), ipa.end()) << symbol;
  }
}

}  // namespace
