// The installed Greek text chain: the language cases of GreekPhones.txt
// through the default voice font, and the IPA table's cover of the phones.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/composer/Tamrin.h"
#include "engine/shared/TMShared.h"
#include "platform/Codepage.h"
#include "tests/modules/SpeechTestBed.h"

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

TEST(TextEndToEndTest, TheDefaultFontGivesTheGreekCasesPhoneStrings) {
  speech_testing::AssembledInstallation installation;
  speech_testing::UseInstallation use(installation);
  TMShared shared;
  ASSERT_EQ(shared.Load(), 0);
  Tamrin engine;
  engine.SetShared(&shared);
  ASSERT_EQ(engine.Init("", 1, 0), 0);
  for (const std::string& line : ReadLines(TM_SOURCE_DIR "/tests/modules/GreekPhones.txt")) {
    if (line.empty() || line[0] == '#') continue;
    const std::size_t tab = line.find('\t');
    SCOPED_TRACE(line);
    char* wave = nullptr;
    long size = 0;
    ASSERT_EQ(
        engine.SpeakToBuffer(platform::Utf8ToCp1253(line.substr(0, tab)), false, &wave, &size), 0);
    delete[] wave;
    EXPECT_GT(size, 0);
    EXPECT_EQ(engine.GetText()->Str(), line.substr(tab + 1));
  }
  engine.Finalize();
  shared.Unload();
}

TEST(TextEndToEndTest, TheIpaTableCoversEveryPhoneSymbol) {
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
