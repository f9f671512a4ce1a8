// Where tm_greeklex writes the lexicon: a file, or standard output for "-".
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>

#include "tests/common/TestSupport.h"
#include "tools/greeklex/UserLexicon.h"

namespace {

TEST(GreekLexiconOutputTest, ALexiconGoesToItsFileOrToStandardOutputForDash) {
  testing_support::TempDir dir;
  testing_support::ScopedCwd cwd(dir.path());
  const std::map<std::string, std::string> lexicon = {{"abc", "xyz"}, {"d", "e"}};
  std::ostringstream out;
  std::string error;
  ASSERT_TRUE(greeklex::WriteLexicon(lexicon, "-", out, error));
  EXPECT_EQ(out.str(), "abc=xyz\nd=e\n");
  EXPECT_FALSE(testing_support::FileExists("-"));
  out.str("");
  ASSERT_TRUE(greeklex::WriteLexicon(lexicon, "greek.usr", out, error));
  EXPECT_EQ(testing_support::ReadFile("greek.usr"), "abc=xyz\nd=e\n");
  EXPECT_EQ(out.str(), "");
  EXPECT_FALSE(greeklex::WriteLexicon(lexicon, "missing/greek.usr", out, error));
  EXPECT_EQ(error, "cannot write missing/greek.usr");
}

}  // namespace
