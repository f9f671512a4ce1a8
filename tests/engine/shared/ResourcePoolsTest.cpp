#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/base/Log.h"
#include "engine/shared/TMShared.h"
#include "engine/shared/VSR_3States.h"
#include "engine/shared/VSR_AC.h"
#include "engine/shared/VSR_CharacterPool.h"
#include "engine/shared/VSR_TreeLexicon.h"
#include "engine/shared/VSR_VUserLexicon.h"
#include "tests/common/TestSupport.h"
#include "tests/engine/InstallationBuilder.h"

namespace {

using testing_support::InstallationBuilder;
using testing_support::MessageRecorder;
using testing_support::ReadLines;
using testing_support::TestInstallation;

template <class Pool>
std::vector<std::string> Keys(const Pool& pool) {
  std::vector<std::string> keys;
  for (int i = 0; i < pool.Count(); ++i) keys.push_back(pool.KeyAt(i));
  return keys;
}

std::string Value(const LexTree* tree, const std::string& word) {
  std::string value = "<no tree>";
  if (tree != nullptr) tree->Lookup(word, &value);
  return value;
}

class ResourcePoolsTest : public testing::Test {
 protected:
  TestInstallation inst_;
  MessageRecorder boxes_;
  InstallationBuilder files_{inst_.dir()};
  TMShared holder_;

  void SetUp() override {
    Log::EnableErrors();
    Configure(testing_support::CompleteConfiguration());
  }

  // Writes config.txt and loads it into the holder (whose configuration
  // keeps the first value of every key).
  void Configure(const std::string& config) {
    files_.Text("config.txt", config);
    holder_.GetConfiguration()->Load(inst_.path("config.txt"));
  }
};

TEST_F(ResourcePoolsTest, OnlyRegularFilesEndingWithTheSuffixLoadUnderTheirFullName) {
  files_.Folder("user");
  VSR_VUserLexicon& pool = *holder_.GetVUserLexicon();
  EXPECT_TRUE(pool.Load(&holder_));  // an empty folder loads nothing and succeeds
  EXPECT_EQ(pool.Count(), 0);
  for (const char* name : {"greek.usr", "GREEK.USR", "usr", "notes.txt", ".usr", "greek.usr.bak"}) {
    files_.Text(std::string("user/") + name, std::string(name) + "=1\n");
  }
  files_.Folder("user/sub.usr");
  ASSERT_TRUE(pool.Load(&holder_));
  EXPECT_EQ(Keys(pool), (std::vector<std::string>{".usr", "greek.usr"}));
  EXPECT_EQ(Value(pool.Find("greek.usr"), "greek.usr"), "1");
  EXPECT_EQ(Value(pool.Find(".usr"), ".usr"), "1");
  EXPECT_EQ(pool.Find("greek"), nullptr);
  EXPECT_EQ(pool.Find("Greek.usr"), nullptr);
  EXPECT_EQ(pool.Find("sub.usr"), nullptr);
  EXPECT_TRUE(boxes_.messages().empty());
  pool.Unload();
}

TEST_F(ResourcePoolsTest, AnEmptySuffixLoadsEveryRegularFile) {
  Configure(testing_support::CompleteConfiguration() + "Characters.Directory=fonts\n");
  files_.Text("fonts/one.vof", "A=1\n");
  files_.Text("fonts/two.txt", "A=2\n");
  // Characters.Suffix is missing: reported, then read as the empty suffix.
  VSR_CharacterPool pool;
  ASSERT_TRUE(pool.Load(&holder_));
  EXPECT_EQ(Keys(pool), (std::vector<std::string>{"one.vof", "two.txt"}));
  EXPECT_EQ(pool.Find("two.txt")->GetParam("A", false), "2");
  EXPECT_EQ(boxes_.reports(),
            std::vector<std::string>{"Error: parameter [Characters.Suffix] was not found in [" +
                                     inst_.path("config.txt") + "]"});
  pool.Unload();
}

TEST_F(ResourcePoolsTest, AFolderThatIsNotThereIsReportedAndRefused) {
  const struct {
    const char* message;
    const char* folder;
    std::function<VSR_Resource*(TMShared&)> pool;
  } cases[] = {
      {"Error reading AC.Directory ", "rules", [](TMShared& h) { return h.GetAC(); }},
      {"Error reading Lexicon.Directory ", "lexicon",
       [](TMShared& h) { return h.GetTreeLexicon(); }},
      {"Error reading 3States.Directory ", "tristate", [](TMShared& h) { return h.Get3States(); }},
      {"Error reading User.Lexicon.Directory ", "user",
       [](TMShared& h) { return h.GetVUserLexicon(); }},
  };
  for (const auto& c : cases) {
    boxes_.clear();
    // A file in the folder's place is not a folder either.
    files_.Text(c.folder, "not a folder");
    EXPECT_FALSE(c.pool(holder_)->Load(&holder_)) << c.folder;
    EXPECT_EQ(boxes_.reports(), std::vector<std::string>{c.message + inst_.path(c.folder)});
  }
}

TEST_F(ResourcePoolsTest, ANullHolderIsReportedAndRefused) {
  VSR_AC ac;
  VSR_TreeLexicon tree;
  VSR_3States states;
  VSR_VUserLexicon user;
  VSR_CharacterPool characters;
  for (VSR_Resource* pool : std::vector<VSR_Resource*>{&ac, &tree, &states, &user, &characters}) {
    boxes_.clear();
    EXPECT_FALSE(pool->Load(nullptr));
    EXPECT_EQ(boxes_.reports(), std::vector<std::string>{"Null TMShared."});
    EXPECT_EQ(pool->GetHolder(), nullptr);
  }
}

TEST_F(ResourcePoolsTest, MoreThanAHundredFilesAreReportedOnceAndTheRestSkipped) {
  for (int i = 0; i < 103; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "user/w%03d.usr", i);
    files_.Text(name, "w=" + std::to_string(i) + "\n");
  }
  VSR_VUserLexicon& pool = *holder_.GetVUserLexicon();
  EXPECT_TRUE(pool.Load(&holder_));
  EXPECT_EQ(pool.Count(), 100);
  EXPECT_EQ(pool.KeyAt(99), "w099.usr");
  EXPECT_EQ(Value(pool.Find("w099.usr"), "w"), "99");
  EXPECT_EQ(pool.Find("w100.usr"), nullptr);
  EXPECT_EQ(boxes_.reports(),
            std::vector<std::string>{"Error: too many files in User.Lexicon.Directory " +
                                     inst_.path("user") + ", w100.usr and later files skipped"});
  pool.Unload();
}

TEST_F(ResourcePoolsTest, RuleCollectionsLoadFromCompiledFiles) {
  files_.Rules("rules/upper.rul", testing_support::UpperRules());
  files_.Rules("rules/phonemes.rul", testing_support::PhonemizerRules());
  VSR_AC& pool = *holder_.GetAC();
  ASSERT_TRUE(pool.Load(&holder_));
  EXPECT_EQ(Keys(pool), (std::vector<std::string>{"phonemes.rul", "upper.rul"}));
  EXPECT_EQ(pool.Find("upper.rul")->convertToString("abcxyz"), "ABCxyz");
  EXPECT_EQ(pool.Find("phonemes.rul")->convertToString("to kouto."), "to_kuto.");
  EXPECT_EQ(pool.Find("upper.rul")->rules().size(), 6u);
  pool.Unload();
}

TEST_F(ResourcePoolsTest, ABrokenRuleFileEndsTheLoadAndKeepsTheCollectionsBefore) {
  files_.Rules("rules/a.rul", testing_support::UpperRules());
  files_.Text("rules/b.rul", "");
  files_.Rules("rules/c.rul", testing_support::UpperRules());
  VSR_AC& pool = *holder_.GetAC();
  EXPECT_FALSE(pool.Load(&holder_));
  EXPECT_EQ(Keys(pool), std::vector<std::string>{"a.rul"});
  EXPECT_EQ(boxes_.reports(),
            std::vector<std::string>{
                "b.rul:\n\tError code 801\n\tCRuleCollection:loadFromStream(): cannot read fond "
                "header!"});
  pool.Unload();
}

TEST_F(ResourcePoolsTest, TreeLexiconsAreScrambledOnlyForExactlyYes) {
  const struct {
    const char* eForm;
    bool enciphered;
  } cases[] = {{"yes", true}, {"Yes", false}, {"yes ", false}, {"no", false}, {"", false}};
  for (const auto& c : cases) {
    TestInstallation inst;
    InstallationBuilder files(inst.dir());
    files.Text("config.txt", "Lexicon.Directory=lexicon\nLexicon.Suffix=.lex\nLexicon.EForm=" +
                                 std::string(c.eForm) + "\n");
    files.Text("lexicon/plain.lex", "to\tplain\n");
    files.Scrambled("lexicon/scrambled.lex", {"to\tscrambled"}, LexTree::kRecordSize);
    TMShared holder;
    holder.GetConfiguration()->Load(inst.path("config.txt"));
    MessageRecorder boxes;
    VSR_TreeLexicon& pool = *holder.GetTreeLexicon();
    ASSERT_TRUE(pool.Load(&holder));
    EXPECT_EQ(pool.IsEnciphered(), c.enciphered) << c.eForm;
    EXPECT_EQ(Value(pool.Find(c.enciphered ? "scrambled.lex" : "plain.lex"), "to"),
              c.enciphered ? "scrambled" : "plain")
        << c.eForm;
    pool.Unload();
  }
}

TEST_F(ResourcePoolsTest, AMissingEFormIsReportedBeforeTheFolderIsTested) {
  Configure("Lexicon.Directory=nowhere\nLexicon.Suffix=.lex\n");
  TMShared holder;
  holder.GetConfiguration()->Load(inst_.path("config.txt"));
  EXPECT_FALSE(holder.GetTreeLexicon()->Load(&holder));
  EXPECT_EQ(boxes_.reports(),
            (std::vector<std::string>{"Error: parameter [Lexicon.EForm] was not found in [" +
                                          inst_.path("config.txt") + "]",
                                      "Error reading Lexicon.Directory " + inst_.path("nowhere")}));
}

TEST_F(ResourcePoolsTest, TriStateRulesReachThePhoneTableThroughTheHolder) {
  files_.PhoneTable("phones/greek.phn");
  ASSERT_TRUE(holder_.GetPhonePool()->Load(&holder_));
  files_.Scrambled("tristate/durations.3st", {"[*][vowel:1][*]:0.12"},
                   VTriStateCompiler::kRecordSize);
  VSR_3States& pool = *holder_.Get3States();
  ASSERT_TRUE(pool.Load(&holder_));
  const VTriStateCompiler* rules = pool.Find("durations.3st");
  ASSERT_NE(rules, nullptr);
  EXPECT_FLOAT_EQ(rules->Lookup('k', 'a', 't'), 1.2f);
  EXPECT_EQ(rules->Lookup('a', 'k', 'a'), 1.0f);
  pool.Unload();
}

TEST_F(ResourcePoolsTest, UnloadListsAndReleasesTheItems) {
  files_.Text("user/a.usr", "x=1\n");
  files_.Text("user/b.usr", "y=2\n");
  VSR_VUserLexicon& pool = *holder_.GetVUserLexicon();
  ASSERT_TRUE(pool.Load(&holder_));
  EXPECT_TRUE(pool.Unload());
  EXPECT_EQ(pool.Count(), 0);
  EXPECT_EQ(pool.Find("a.usr"), nullptr);
  EXPECT_TRUE(pool.Unload());
  const std::vector<std::string> lines = ReadLines(inst_.path("log.txt"));
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "2");
  EXPECT_EQ(lines[1].rfind("0:", 0), 0u);
  EXPECT_EQ(lines[1].substr(lines[1].size() - 6), ":a.usr");
  EXPECT_EQ(lines[2].rfind("1:", 0), 0u);
  EXPECT_EQ(lines[3], "0");
  // A later load starts again from the first entry.
  ASSERT_TRUE(pool.Load(&holder_));
  EXPECT_EQ(Keys(pool), (std::vector<std::string>{"a.usr", "b.usr"}));
  pool.Unload();
}

TEST_F(ResourcePoolsTest, ItemsLeftLoadedAreReleasedWithThePool) {
  files_.Text("user/a.usr", "x=1\n");
  files_.Rules("rules/upper.rul", testing_support::UpperRules());
  {
    TMShared holder;
    holder.GetConfiguration()->Load(inst_.path("config.txt"));
    ASSERT_TRUE(holder.GetVUserLexicon()->Load(&holder));
    ASSERT_TRUE(holder.GetAC()->Load(&holder));
  }  // the leak checker of the sanitizer build sees nothing left
}

}  // namespace
