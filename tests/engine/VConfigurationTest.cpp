#include "engine/VConfiguration.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "engine/VStr.h"
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

// Message texts of the report, without their time stamps.
std::vector<std::string> Reported(const MessageRecorder& boxes) {
  std::vector<std::string> out;
  for (const auto& box : boxes.messages()) {
    EXPECT_EQ(box.first, "Tamrin Engine");
    out.push_back(box.second.size() > 15 ? box.second.substr(15) : box.second);
  }
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

TEST_F(VConfigurationTest, LastLineWithoutLineFeedIsTaken) {
  VConfiguration config;
  ASSERT_EQ(config.Load(Write("first=1\nsecond=2")), 1);
  EXPECT_EQ(config.GetParam("second", true), "2");
  EXPECT_EQ(config.GetParam("first", true), "1");
  EXPECT_TRUE(boxes_.messages().empty());
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

TEST_F(VConfigurationTest, MissingFileIsReportedAndLeavesOnlyTheId) {
  const std::string path = dir_ / "absent.txt";
  VConfiguration config;
  EXPECT_EQ(config.Load(path.c_str()), -1);
  EXPECT_EQ(Reported(boxes_), std::vector<std::string>{"ifstream error on " + path});
  ASSERT_EQ(config.Parameters().Count(), 1);
  EXPECT_EQ(config.GetParam("__ID__", true), path);
  EXPECT_EQ(config.GetParam("anything", false), "");

  // The report also lands in the report file of the current directory.
  const std::vector<std::string> lines = ReadLines(dir_ / "TamrinError.txt");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_TRUE(std::regex_match(lines[0], std::regex("^[0-9]{14}\t(.*)$")));
  EXPECT_EQ(lines[0].substr(15), "ifstream error on " + path);
}

TEST_F(VConfigurationTest, AFolderIsNoSettingsFile) {
  VConfiguration config;
  EXPECT_EQ(config.Load(dir_.path()), -1);
  EXPECT_EQ(Reported(boxes_), std::vector<std::string>{"ifstream error on " + dir_.path()});
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
  EXPECT_EQ(Reported(boxes_), (std::vector<std::string>{
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

  // Under a locale whose decimal point is ',' the reading stays the same.
  const std::string old = std::setlocale(LC_NUMERIC, nullptr);
  bool set = false;
  for (const char* name : {"el_GR.UTF-8", "de_DE.UTF-8", "el_GR.utf8", "de_DE.utf8"}) {
    if (std::setlocale(LC_NUMERIC, name) != nullptr) {
      set = true;
      break;
    }
  }
  if (set) {
    EXPECT_DOUBLE_EQ(config.GetParamFloat("f", true), 2.5);
    std::setlocale(LC_NUMERIC, old.c_str());
  }
}

TEST(VParameterDataTest, AddIndexOfGetClear) {
  VParameterData data;
  EXPECT_EQ(data.Add("alpha", PARAM_TYPE_STRING, 0, "one"), 1);
  EXPECT_EQ(data.Add("beta", PARAM_TYPE_STRING, 0, ""), 1);
  EXPECT_EQ(data.Add("alpha", PARAM_TYPE_STRING, 0, "two"), -1);
  const int32_t number = 7;
  EXPECT_EQ(data.Add("count", PARAM_TYPE_INTEGER, 0, &number), 1);
  ASSERT_EQ(data.Count(), 3);

  EXPECT_EQ(data.IndexOf("alpha"), 0);
  EXPECT_EQ(data.IndexOf("beta"), 1);
  EXPECT_EQ(data.IndexOf("count"), 2);
  EXPECT_EQ(data.IndexOf("Alpha"), -1);
  EXPECT_EQ(data.IndexOf("alph"), -1);

  char* text = VStr::Duplicate("to be replaced");
  EXPECT_EQ(data.Get("alpha", &text), 1);
  EXPECT_STREQ(text, "one");
  EXPECT_EQ(data.Get("beta", &text), 1);
  EXPECT_STREQ(text, "");
  EXPECT_EQ(data.Get("count", &text), 1);
  EXPECT_EQ(text, nullptr);  // not a string entry
  text = VStr::Duplicate("x");
  EXPECT_EQ(data.Get("gamma", &text), -1);
  EXPECT_EQ(text, nullptr);

  data.Clear();
  EXPECT_EQ(data.Count(), 0);
  EXPECT_EQ(data.IndexOf("alpha"), -1);
  EXPECT_EQ(data.Add("alpha", PARAM_TYPE_STRING, 0, "again"), 1);
}

TEST(VParameterDataTest, EntrySizesAndModes) {
  const int32_t i = 12;
  const float f = 1.5f;
  char text[] = "hello";
  VParameterData data;
  data.Add("s", PARAM_TYPE_STRING, 0, text);
  data.Add("i", PARAM_TYPE_INTEGER, 0, &i);
  data.Add("f", PARAM_TYPE_FLOAT, 0, &f);
  data.Add("o", "other", 0, text);
  data.Add("n", PARAM_TYPE_STRING, 0, nullptr);
  data.Add("r", PARAM_TYPE_STRING, 1, text);
  data.Add("b", PARAM_TYPE_STRING, 2, text);

  const VParameterDataEntry* s = data.Find("s");
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->Type(), "string");
  EXPECT_EQ(s->Size(), 6);
  EXPECT_NE(s->Value(), text);  // a copy of its own
  EXPECT_EQ(s->Reference(), nullptr);
  text[0] = 'J';
  EXPECT_EQ(s->Text(), "hello");

  const VParameterDataEntry* ie = data.Find("i");
  EXPECT_EQ(ie->Type(), "integer");
  EXPECT_EQ(ie->Size(), 4);
  int32_t iv = 0;
  std::memcpy(&iv, ie->Value(), 4);
  EXPECT_EQ(iv, 12);

  const VParameterDataEntry* fe = data.Find("f");
  EXPECT_EQ(fe->Size(), 4);
  float fv = 0;
  std::memcpy(&fv, fe->Value(), 4);
  EXPECT_EQ(fv, 1.5f);

  EXPECT_EQ(data.Find("o")->Size(), 0);
  EXPECT_EQ(data.Find("n")->Value(), nullptr);
  char* none = nullptr;
  data.Find("n")->ToString(&none);
  EXPECT_EQ(none, nullptr);

  EXPECT_EQ(data.Find("r")->Value(), nullptr);
  EXPECT_EQ(data.Find("r")->Reference(), text);
  EXPECT_EQ(data.Find("b")->Reference(), text);
  EXPECT_EQ(data.Find("b")->Text(), "hello");  // the copy taken when it was added
  EXPECT_STREQ(static_cast<const char*>(data.Find("b")->Reference()), "Jello");
}

TEST(VParameterDataTest, CopiedEntriesOwnTheirValues) {
  VParameterDataEntry original;
  EXPECT_EQ(original.Type(), "void");
  EXPECT_EQ(original.Size(), 0);
  original.Set("name", PARAM_TYPE_STRING, 0, "value");

  VParameterDataEntry copy(original);
  EXPECT_EQ(copy.Name(), "name");
  EXPECT_EQ(copy.Type(), "string");
  EXPECT_EQ(copy.Size(), 6);
  EXPECT_NE(copy.Value(), original.Value());
  EXPECT_EQ(copy.Text(), "value");

  VParameterDataEntry assigned;
  assigned.Set("x", PARAM_TYPE_STRING, 0, "previous");
  assigned = original;
  EXPECT_EQ(assigned.Text(), "value");
  EXPECT_NE(assigned.Value(), original.Value());

  original.Destroy();
  EXPECT_EQ(original.Name(), "");
  EXPECT_EQ(original.Type(), "void");
  EXPECT_EQ(original.Value(), nullptr);
  EXPECT_EQ(copy.Text(), "value");
  EXPECT_EQ(assigned.Text(), "value");

  char* out = nullptr;
  copy.ToString(&out);
  EXPECT_STREQ(out, "value");
  VStr::Release(&out);

  // Entries survive the store growing and being copied.
  VParameterData data;
  for (int i = 0; i < 100; ++i) {
    const std::string v = "v" + std::to_string(i);
    data.Add("k" + std::to_string(i), PARAM_TYPE_STRING, 0, v.c_str());
  }
  const VParameterData copied = data;
  data.Clear();
  ASSERT_EQ(copied.Count(), 100);
  EXPECT_EQ(copied.Find("k57")->Text(), "v57");
}

}  // namespace
