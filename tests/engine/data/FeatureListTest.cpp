#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/base/VStr.h"
#include "engine/data/VPhone.h"
#include "engine/data/_feature_list_.h"

namespace {

// The value that Get gives through the block interface; "<none>" when it
// fails (the block pointer must then be left alone).
std::string GetValue(const _feature_list_& list, const char* name) {
  char sentinel = 0;
  char* out = &sentinel;
  if (!list.Get(name, &out)) {
    EXPECT_EQ(out, &sentinel) << name;
    return "<none>";
  }
  std::string value = out;
  VStr::Release(&out);
  return value;
}

_feature_list_ ListOf(const std::string& features) {
  _feature_list_ list;
  list.Assign(features);
  return list;
}

TEST(FeatureListTest, SetAppendsPairsJoinedByTabs) {
  _feature_list_ list;
  EXPECT_FALSE(list.Set("", "stop"));
  EXPECT_FALSE(list.Set(nullptr, "stop"));
  EXPECT_EQ(list.GetString(), "");

  _feature_list_ a;
  ASSERT_TRUE(a.Set("a", ""));
  EXPECT_EQ(a.GetString(), "a:");

  ASSERT_TRUE(list.Set("type", "stop"));
  ASSERT_TRUE(list.Set("stressed", "1"));
  EXPECT_EQ(list.GetString(), "type:stop\tstressed:1");
  EXPECT_FALSE(list.Set("", "x"));
  EXPECT_EQ(list.GetString(), "type:stop\tstressed:1");

  ASSERT_TRUE(list.SetFlag("vowel"));
  EXPECT_EQ(list.GetString(), "type:stop\tstressed:1\tvowel:1");
  // Assign replaces the whole string.
  list.Assign("a:b");
  EXPECT_EQ(GetValue(list, "type"), "<none>");
}

// Decided: a null value is the empty value.
TEST(FeatureListTest, ANullValueSetsTheEmptyValue) {
  _feature_list_ list;
  ASSERT_TRUE(list.Set("pause", nullptr));
  ASSERT_TRUE(list.Set("type", nullptr));
  EXPECT_EQ(list.GetString(), "pause:\ttype:");
  EXPECT_EQ(GetValue(list, "pause"), "<none>");
}

TEST(FeatureListTest, GetFindsTheValueOfTheFirstPairOfAName) {
  struct Case {
    const char* features;
    const char* name;
    const char* value;  // "<none>": Get fails
  };
  const Case cases[] = {
      {"type:stop\tstressed:1", "stressed", "1"},
      {"type:stop\tstressed:1", "type", "stop"},
      {"type:stop\tstressed:1", "Type", "<none>"},
      {"", "type", "<none>"},
      // An empty value, at the end or followed by a tab.
      {"type:stop\tpause:", "pause", "<none>"},
      {"pause:\ttype:stop", "pause", "<none>"},
      // The first pair wins.
      {"phrase:start\tphrase:fin", "phrase", "start"},
      // A value ends at a tab, a newline or the end.
      {"grammar:noun fem\nrest", "grammar", "noun fem"},
      {"grammar:a:b\tx:1", "grammar", "a:b"},
      // A list that starts with a tab.
      {"\tstressed:1", "stressed", "1"},
      // Decided: a name matches only at the start of the list or after a tab.
      {"unstressed:0", "stressed", "<none>"},
      {"unstressed:0\tstressed:1", "stressed", "1"},
      {"xtype:a\ttype:b", "type", "b"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.features) + " / " + c.name);
    const _feature_list_ list = ListOf(c.features);
    EXPECT_EQ(GetValue(list, c.name), c.value);
    std::string out = "unchanged";
    const bool ok = list.Get(c.name, out);
    EXPECT_EQ(ok, std::string(c.value) != "<none>");
    EXPECT_EQ(out, ok ? std::string(c.value) : "unchanged");
  }
  char* out = nullptr;
  EXPECT_FALSE(ListOf("type:stop").Get(nullptr, &out));
  EXPECT_EQ(out, nullptr);
  EXPECT_FALSE(ListOf("type:stop").Get("type", static_cast<char**>(nullptr)));
}

TEST(FeatureListTest, IsComparesTheFirstValueExactly) {
  const _feature_list_ list = ListOf("phrase:start\tphrase:fin\ttype:stop\tunstressed:1");
  EXPECT_TRUE(list.Is("phrase", "start"));
  EXPECT_FALSE(list.Is("phrase", "fin"));
  EXPECT_FALSE(list.Is("type", "Stop"));
  EXPECT_FALSE(list.Is("type", "sto"));
  EXPECT_FALSE(list.Is("stressed", "1"));  // decided: not inside "unstressed"
  EXPECT_FALSE(list.Is("missing", ""));
}

// Decided: Contains stays a plain substring search.
TEST(FeatureListTest, ContainsIsAPlainSubstringSearch) {
  const _feature_list_ list = ListOf("phrase:start\tphrase:fin\tvowel:1");
  const char* fin = list.Contains("phrase:fin");
  ASSERT_NE(fin, nullptr);
  EXPECT_EQ(fin, list.GetString().c_str() + 13);
  EXPECT_NE(list.Contains("owel:1"), nullptr);
  EXPECT_NE(list.Contains("start\tphrase"), nullptr);
  EXPECT_EQ(list.Contains("phrase:Fin"), nullptr);
  const _feature_list_ empty;
  for (const char* text : {"", "type:stop"}) EXPECT_EQ(empty.Contains(text), nullptr);
}

TEST(FeatureListTest, PhonesCopyTheirSymbolAndFeatures) {
  VPhone phone;
  phone.SetSymbol('a');
  phone.Set("phone", "1");
  phone.Set("vowel", "1");

  VPhone copy(phone);
  EXPECT_EQ(copy.GetSymbol(), 'a');
  EXPECT_EQ(copy.GetString(), "phone:1\tvowel:1");

  copy.SetSymbol('k');
  copy.Set("voiced", "0");
  EXPECT_EQ(phone.GetSymbol(), 'a');
  EXPECT_EQ(phone.GetString(), "phone:1\tvowel:1");

  VPhone assigned;
  assigned = copy;
  EXPECT_EQ(assigned.GetSymbol(), 'k');
  EXPECT_EQ(assigned.GetString(), "phone:1\tvowel:1\tvoiced:0");
}

}  // namespace
