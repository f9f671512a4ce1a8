// The hosts' IPA table covers every phone symbol, those still to come too.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "tests/common/TestSupport.h"

namespace {

TEST(IpaTableTest, TheIpaTableCoversEveryPhoneSymbol) {
  std::set<std::string> ipa, symbols = {"C", "Q", "L", "J", "N", "S", "Z"};  // still to come
  for (std::set<std::string>* fields : {&symbols, &ipa}) {
    const std::string file = fields == &ipa ? "ipa.txt" : "greek.phn.src";
    // The first fields of the lines that are no comment ('#' and a tab is a symbol).
    for (const std::string& line :
         testing_support::ReadLines(TM_SOURCE_DIR "/data/phones/" + file)) {
      if (!line.empty() && (line[0] != '#' || line.rfind("#\t", 0) == 0)) {
        fields->insert(line.substr(0, line.find('\t')));
      }
    }
  }
  symbols.erase("symbol");  // the column names
  for (const std::string& symbol : symbols) EXPECT_EQ(ipa.count(symbol), 1u) << symbol;
}

}  // namespace
