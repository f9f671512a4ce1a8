#include "engine/base/VConfiguration.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <regex>
#include <string>
#include <vector>

#include "engine/base/VStr.h"
#include "tests/common/ConfigurationLines.h"
#include "tests/common/TestSupport.h"

namespace {

using testing_support::MessageRecorder;
using testing_support::ReadLines;
using testing_support::TempDir;
using testing_support::WriteFile;

// The name and value pairs that a store holds after "__ID__", in order.
std::vector<std::pair<std::string, std::string>> Stored(const VConfiguration& config) {
  std::vector<std::pair<std::string, std::string>> out;
  const VParameterData& data = config.Parameters();
  for (int i = 1; i < data.Count(); ++i) out.emplace_back(data.At(i).Name(), data.At(i).Text());
  return out;
}

class VConfigurationTest : public testing::Test {
 protected:
  TempDir dir_;
  testing_support::ScopedCwd cwd_{dir_.path()};
  MessageRecorder boxes_;

  std::string Write(const std::string& content, const std::string& name = "settings.txt") {
    const std::string path = dir_ / name;
    WriteFile(path, content);
    return path;
  }
};

TEST_F(VConfigurationTest, EveryLineFormStoresItsNameAndValue) {
  for (const auto& c : testing_support::kConfigurationLines) {
    SCOPED_TRACE(std::string("line: [") + c.line + "]");
    const std::string path = Write(std::string(c.line) + "\n");
    VConfiguration config;
    ASSERT_EQ(config.Load(path.c_str()), 1);
    const auto stored = Stored(config);
    if (c.stored) {
      ASSERT_EQ(stored.size(), 1u);
      EXPECT_EQ(stored[0].first, c.name);
      EXPECT_EQ(stored[0].second, c.value);
      EXPECT_EQ(config.GetParam(c.name, true), c.value);
    } else {
      EXPECT_TRUE(stored.empty());
    }
  }
  EXPECT_TRUE(boxes_.messages().empty());
}

TEST_F(VConfigurationTest, OneCarriageReturnBeforeALineFeedIsDropped) {
  const std::string path =
      Write("a=1\r\nb=x\ry\r\nc=2\r\r\n\r\nd=\"q\"\r\ne=last\r");  // no line feed at the end
  VConfiguration config;
  ASSERT_EQ(config.Load(path), 1);
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"a", "1"}, {"b", "x\ry"}, {"c", "2\r"}, {"d", "q"}, {"e", "last\r"}};
  EXPECT_EQ(Stored(config), expected);
}

TEST_F(VConfigurationTest, FirstOccurrenceWinsAndIdCannotBeOverridden) {
  const std::string path = Write("a=1\n__ID__=forged\nb=x\na=2\nA=3\n");
  VConfiguration config;
  ASSERT_EQ(config.Load(path), 1);
  EXPECT_EQ(config.GetParam("a", false), "1");
  EXPECT_EQ(config.GetParam("A", false), "3");  // names are case-sensitive
  EXPECT_EQ(config.GetParam("__ID__", false), path);
  EXPECT_EQ(config.Parameters().At(0).Name(), "__ID__");
  EXPECT_EQ(config.Parameters().Count(), 4);
}

// Half a million keys: comparing each with all the earlier ones would take
// far longer than any test may run.
TEST_F(VConfigurationTest, HalfAMillionKeysLoadAndTheFirstOccurrenceStillWins) {
  const int kKeys = 500000;
  std::string content;
  for (int i = 0; i < kKeys; ++i)
    content += "k" + std::to_string(i) + "=" + std::to_string(i) + "\n";
  VConfiguration config;
  ASSERT_EQ(config.Load(Write(content + "k0=again\n")), 1);
  EXPECT_EQ(config.Parameters().Count(), kKeys + 1);
  EXPECT_EQ(config.GetParam("k0", false), "0");
  EXPECT_EQ(config.GetParam("k499999", false), "499999");
}

TEST_F(VConfigurationTest, MissingFileIsReportedAndLeavesOnlyTheId) {
  const std::string path = dir_ / "absent.txt";
  VConfiguration config;
  EXPECT_EQ(config.Load(path.c_str()), -1);
  EXPECT_EQ(boxes_.reports(), std::vector<std::string>{"ifstream error on " + path});
  ASSERT_EQ(config.Parameters().Count(), 1);
  EXPECT_EQ(config.GetParam("__ID__", true), path);
  EXPECT_EQ(config.GetParam("anything", false), "");

  // The report also lands in the report file of the current directory.
  const std::vector<std::string> lines = ReadLines(dir_ / "TamrinError.txt");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_TRUE(std::regex_match(lines[0], std::regex("^[0-9]{14}\t(.*)$")));
  EXPECT_EQ(lines[0].substr(15), "ifstream error on " + path);

  // A folder is no settings file either.
  EXPECT_EQ(config.Load(dir_.path()), -1);
  EXPECT_EQ(boxes_.reports().back(), "ifstream error on " + dir_.path());
}

TEST_F(VConfigurationTest, GetParamReportsMissingKeysOnlyWhenAsked) {
  const std::string path = Write("present=\nkey = value\nfull=yes\n");
  VConfiguration config;
  ASSERT_EQ(config.Load(path), 1);

  EXPECT_EQ(config.GetParam("present", true), "");  // present but empty: no report
  EXPECT_EQ(config.GetParam("missing", false), "");
  EXPECT_TRUE(boxes_.messages().empty());

  EXPECT_EQ(config.GetParam("missing", true), "");
  EXPECT_EQ(config.GetParam("key", true), "");  // stored as "key " with its blank
  EXPECT_EQ(config.GetParam(std::string("missing"), true), "");
  EXPECT_EQ(boxes_.reports(), (std::vector<std::string>{
                                  "Error: parameter [missing] was not found in [" + path + "]",
                                  "Error: parameter [key] was not found in [" + path + "]",
                                  "Error: parameter [missing] was not found in [" + path + "]",
                              }));
  EXPECT_EQ(ReadLines(dir_ / "TamrinError.txt").size(), 3u);
}

TEST_F(VConfigurationTest, SecondLoadAddsOnlyNewNames) {
  VConfiguration config;
  const std::string first = Write("a=1\nb=2\n", "first.txt");
  const std::string second = Write("b=3\nc=4\n", "second.txt");
  ASSERT_EQ(config.Load(first), 1);
  ASSERT_EQ(config.Load(second), 1);
  EXPECT_EQ(config.GetParam("__ID__", false), first);
  EXPECT_EQ(config.GetParam("b", false), "2");
  EXPECT_EQ(config.GetParam("c", false), "4");
}

TEST_F(VConfigurationTest, TypedReadings) {
  const std::string path =
      Write("n=42\nneg= -7 apples\nf=2.5\nbad=abc\nyes=yes\nYes=Yes\nyes2=yes \n");
  VConfiguration config;
  ASSERT_EQ(config.Load(path), 1);
  EXPECT_EQ(config.GetParamInt("n", true), 42);
  EXPECT_EQ(config.GetParamInt("neg", true), -7);
  EXPECT_EQ(config.GetParamInt("bad", true), 0);
  EXPECT_DOUBLE_EQ(config.GetParamFloat("f", true), 2.5);
  EXPECT_TRUE(config.GetParamYes("yes", true));
  EXPECT_FALSE(config.GetParamYes("Yes", true));
  EXPECT_FALSE(config.GetParamYes("yes2", true));
  EXPECT_TRUE(boxes_.messages().empty());
  EXPECT_EQ(config.GetParamInt("none", true), 0);
  EXPECT_FALSE(config.GetParamYes("none", false));
  EXPECT_EQ(boxes_.messages().size(), 1u);
}

TEST(VParameterDataTest, EntriesOwnCopiesOfTheirValues) {
  const int32_t number = 12;
  char text[] = "hello";
  VParameterData data;
  EXPECT_EQ(data.Add("s", PARAM_TYPE_STRING, 0, text), 1);
  EXPECT_EQ(data.Add("s", PARAM_TYPE_STRING, 0, "two"), -1);
  EXPECT_EQ(data.Add("i", PARAM_TYPE_INTEGER, 0, &number), 1);
  data.Add("r", PARAM_TYPE_STRING, 1, text);
  data.Add("b", PARAM_TYPE_STRING, 2, text);
  EXPECT_EQ(data.IndexOf("i"), 1);
  EXPECT_EQ(data.IndexOf("S"), -1);
  text[0] = 'J';
  EXPECT_EQ(data.Find("s")->Text(), "hello");
  EXPECT_EQ(data.Find("s")->Size(), 6);
  EXPECT_EQ(data.Find("i")->Size(), 4);
  // Mode 1 keeps only the reference, mode 2 a copy and the reference.
  EXPECT_EQ(data.Find("r")->Value(), nullptr);
  EXPECT_EQ(data.Find("r")->Reference(), text);
  EXPECT_EQ(data.Find("b")->Text(), "hello");
  EXPECT_EQ(data.Find("b")->Reference(), text);

  char* got = VStr::Duplicate("to be replaced");
  EXPECT_EQ(data.Get("s", &got), 1);
  EXPECT_STREQ(got, "hello");
  EXPECT_EQ(data.Get("i", &got), 1);
  EXPECT_EQ(got, nullptr);  // not a string entry
  EXPECT_EQ(data.Get("missing", &got), -1);

  // Copies survive the original and the store growing.
  for (int i = 0; i < 100; ++i) {
    data.Add("k" + std::to_string(i), PARAM_TYPE_STRING, 0, ("v" + std::to_string(i)).c_str());
  }
  const VParameterData copied = data;
  VParameterDataEntry entry(*data.Find("s"));
  data.Clear();
  EXPECT_EQ(data.IndexOf("s"), -1);
  EXPECT_EQ(copied.Find("k57")->Text(), "v57");
  EXPECT_EQ(entry.Text(), "hello");
  entry.Destroy();
  EXPECT_EQ(entry.Value(), nullptr);
}

}  // namespace
