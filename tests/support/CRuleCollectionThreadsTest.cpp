// One rule collection shared by several threads: convertToString keeps no
// scratch state in the collection and counts rule use atomically.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/alphconv.h"
#include "tests/support/RuleFileWriter.h"

namespace {

TEST(CRuleCollectionThreadsTest, TwoThreadsConvertThroughOneCollection) {
  rule_file::Rule wordEnd = rule_file::Simple('s', "S.");
  wordEnd.after = {{"=", "0-2", " "}, {"=", "1", "\\0"}};
  const std::vector<rule_file::Rule> rules = {
      rule_file::Simple(' ', "_"), rule_file::Simple('a', "A"), rule_file::Simple('b', "BB"),
      wordEnd, rule_file::Simple('s', "s")};
  std::istringstream in(rule_file::File(rules, true), std::ios::in | std::ios::binary);
  CRuleCollection collection(400, 1, 1);
  ASSERT_TRUE(collection.loadFromStream(in));

  const int kRounds = 500;
  const std::string textOne = "abs sab as";
  const std::string textTwo = "bbbbbbbbs  ";
  std::string lastOne;
  std::string lastTwo;
  int wrongOne = 0;
  int wrongTwo = 0;
  std::thread one([&] {
    for (int i = 0; i < kRounds; ++i) {
      lastOne = collection.convertToString(textOne);
      if (lastOne != "ABBs_sABB_AS.") ++wrongOne;
    }
  });
  std::thread two([&] {
    for (int i = 0; i < kRounds; ++i) {
      lastTwo = collection.convertToString(textTwo);
      if (lastTwo != "BBBBBBBBBBBBBBBBS.__") ++wrongTwo;
    }
  });
  one.join();
  two.join();
  EXPECT_EQ(wrongOne, 0) << lastOne;
  EXPECT_EQ(wrongTwo, 0) << lastTwo;
  // Every application was counted: a 3 in text one, b 2 + 8, blank 2 + 2,
  // s at a word end 1 + 1, other s 2 + 0.
  EXPECT_EQ(collection.rules()[0].counter(), 4 * kRounds);
  EXPECT_EQ(collection.rules()[1].counter(), 3 * kRounds);
  EXPECT_EQ(collection.rules()[2].counter(), 10 * kRounds);
  EXPECT_EQ(collection.rules()[3].counter(), 2 * kRounds);
  EXPECT_EQ(collection.rules()[4].counter(), 2 * kRounds);
}

}  // namespace
