#include "engine/shared/TMShared.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/base/VLib.h"
#include "tests/common/TestSupport.h"
#include "tests/engine/InstallationBuilder.h"

namespace {

using testing_support::FileExists;
using testing_support::InstallationBuilder;
using testing_support::MessageRecorder;
using testing_support::ReadFile;
using testing_support::ReadLines;
using testing_support::TestInstallation;

// How many items each table pool holds, in the order of loading: rule
// collections, tree lexicons, phones, tri-state rule files, user lexicons.
using Counts = std::vector<int>;
Counts CountsOf(TMShared& h) {
  return {h.GetAC()->Count(), h.GetTreeLexicon()->Count(), h.GetPhonePool()->PhoneCount(),
          h.Get3States()->Count(), h.GetVUserLexicon()->Count()};
}
// The phones of the shipped Greek phone table (its rows, not counting the
// header, comments and empty lines).
int ShippedPhones() {
  int rows = -1;
  for (const std::string& line :
       ReadLines(std::string(TM_SOURCE_DIR) + "/data/phones/greek.phn.src")) {
    if (!line.empty() && (line[0] != '#' || line.rfind("#\t", 0) == 0)) ++rows;
  }
  return rows;
}
const int kPhones = ShippedPhones();
const Counts kComplete{2, 1, kPhones, 1, 1};

class TMSharedTest : public testing::Test {
 protected:
  TestInstallation inst_;
  MessageRecorder boxes_;
  InstallationBuilder files_{inst_.dir()};

  void SetUp() override { files_.Complete(); }

  std::string Marker() const { return inst_.path(TMShared::kMarkerName); }
};

TEST_F(TMSharedTest, ACompleteInstallationLoadsEveryPool) {
  TMShared shared;
  ASSERT_EQ(shared.Load(), TMShared::kLoaded);
  EXPECT_TRUE(boxes_.reports().empty());
  EXPECT_EQ(CountsOf(shared), kComplete);
  EXPECT_TRUE(shared.IsLoaded());
  std::string value;
  ASSERT_NE(shared.GetVUserLexicon()->Find("names.usr"), nullptr);
  shared.GetVUserLexicon()->Find("names.usr")->Lookup("Ceres", &value);
  EXPECT_EQ(value, "Demeter");
  // Through the holder's own phone table: a stressed vowel before a break.
  ASSERT_NE(shared.Get3States()->Find("durations.3st"), nullptr);
  EXPECT_FLOAT_EQ(shared.Get3States()->Find("durations.3st")->Lookup('k', 'A', '.'), 1.6f);

  // The log was restarted with a time stamp; the marker is there and open.
  const std::vector<std::string> log = ReadLines(inst_.path("log.txt"));
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log[0].size(), 14u);
  EXPECT_TRUE(FileExists(Marker()));
  EXPECT_TRUE(shared.IsMarkerOpen());
  EXPECT_EQ(shared.Unload(), 0);
}

TEST_F(TMSharedTest, UnloadReleasesThePoolsInTheOrderOfLoading) {
  files_.Rules("rules/extra.rul", testing_support::UpperRules());
  files_.Text("user/more.usr", "a=b\n");
  files_.Text("user/most.usr", "c=d\n");
  TMShared shared;
  ASSERT_EQ(shared.Load(), 0);
  const size_t before = ReadLines(inst_.path("log.txt")).size();
  EXPECT_EQ(shared.Unload(), 0);
  EXPECT_FALSE(FileExists(Marker()));
  EXPECT_FALSE(shared.IsMarkerOpen());
  // The dumps: AC (3), TreeLexicon (1), 3States (1), V58Compiler (0: the
  // folder is empty), VUserLexicon (3); the phone table keeps its records
  // and writes nothing.
  std::vector<std::string> counts;
  std::vector<std::string> keys;
  const std::vector<std::string> log = ReadLines(inst_.path("log.txt"));
  for (size_t i = before; i < log.size(); ++i) {
    const size_t colon = log[i].rfind(':');
    if (colon == std::string::npos) {
      counts.push_back(log[i]);
    } else {
      keys.push_back(log[i].substr(colon + 1));
    }
  }
  EXPECT_EQ(counts, (std::vector<std::string>{"3", "1", "1", "0", "3"}));
  EXPECT_EQ(keys, (std::vector<std::string>{"extra.rul", "phonemes.rul", "upper.rul", "words.lex",
                                            "durations.3st", "more.usr", "most.usr", "names.usr"}));
  EXPECT_EQ(CountsOf(shared), (Counts{0, 0, kPhones, 0, 0}));
  // The configuration stays.
  EXPECT_EQ(shared.GetConfiguration()->GetParam("Lexicon.Suffix", false), ".lex");
}

TEST_F(TMSharedTest, ASecondLoadIsRefusedAndTouchesNothing) {
  TMShared shared;
  ASSERT_EQ(shared.Load(), 0);
  VLib::AppendToLog("still here");
  std::filesystem::remove(Marker());
  EXPECT_EQ(shared.Load(), TMShared::kAlreadyLoaded);
  // The log was not restarted and the marker not made again.
  EXPECT_EQ(ReadLines(inst_.path("log.txt")).back(), "still here");
  EXPECT_FALSE(FileExists(Marker()));
  EXPECT_EQ(CountsOf(shared), kComplete);
  shared.Unload();
}

TEST_F(TMSharedTest, ALoadAfterUnloadIsRefusedAndLeavesThePoolsEmpty) {
  TMShared shared;
  ASSERT_EQ(shared.Load(), 0);
  shared.Unload();
  EXPECT_EQ(shared.Load(), TMShared::kAlreadyLoaded);
  EXPECT_EQ(CountsOf(shared), (Counts{0, 0, kPhones, 0, 0}));
  EXPECT_FALSE(FileExists(Marker()));
  EXPECT_TRUE(boxes_.reports().empty());
}

TEST_F(TMSharedTest, TheFirstPoolThatFailsEndsTheLoadWithItsCode) {
  // There is no case for -1040: the phone table loads whatever its file
  // holds (a missing table is reported and left empty).
  const struct {
    const char* name;
    std::function<void(const InstallationBuilder&)> breakIt;
    int code;
    std::vector<std::string> reports;  // with INSTALL standing for the folder
    Counts counts;
  } cases[] = {
      {"no configuration",
       [](const InstallationBuilder& f) { std::filesystem::remove(f.path("config.txt")); },
       TMShared::kConfigurationFailed,
       {"ifstream error on INSTALL/config.txt",
        "Error: loading [m_s_Configuration] from [INSTALL/config.txt]"},
       {0, 0, 0, 0, 0}},
      {"no rule folder",
       [](const InstallationBuilder& f) { std::filesystem::remove_all(f.path("rules")); },
       TMShared::kACFailed,
       {"Error reading AC.Directory INSTALL/rules", "Error: loading [m_vsr_AC]"},
       {0, 0, 0, 0, 0}},
      {"a broken rule file",
       [](const InstallationBuilder& f) { f.Text("rules/zz.rul", ""); },
       TMShared::kACFailed,
       {"zz.rul:\n\tError code 801\n\tCRuleCollection:loadFromStream(): cannot read fond header!",
        "Error: loading [m_vsr_AC]"},
       {2, 0, 0, 0, 0}},
      {"no lexicon folder",
       [](const InstallationBuilder& f) { std::filesystem::remove_all(f.path("lexicon")); },
       TMShared::kTreeLexiconFailed,
       {"Error reading Lexicon.Directory INSTALL/lexicon", "Error: loading [m_vsr_TreeLexicon]"},
       {2, 0, 0, 0, 0}},
      {"no tri-state folder",
       [](const InstallationBuilder& f) { std::filesystem::remove_all(f.path("tristate")); },
       TMShared::k3StatesFailed,
       {"Error reading 3States.Directory INSTALL/tristate", "Error: loading [m_vsr_3States]"},
       {2, 1, kPhones, 0, 0}},
      {"no user lexicon folder",
       [](const InstallationBuilder& f) { std::filesystem::remove_all(f.path("user")); },
       TMShared::kVUserLexiconFailed,
       {"Error reading User.Lexicon.Directory INSTALL/user", "Error: loading [m_vsr_VUserLexicon]"},
       {2, 1, kPhones, 1, 0}},
      {"no V58 folder",
       [](const InstallationBuilder& f) { std::filesystem::remove_all(f.path("v58")); },
       TMShared::kV58CompilerFailed,
       {"Error reading V58Compiler.Directory INSTALL/v58", "Error: loading [m_vsr_V58Compiler]"},
       {2, 1, kPhones, 1, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TestInstallation inst;
    InstallationBuilder files(inst.dir());
    files.Complete();
    c.breakIt(files);
    MessageRecorder boxes;
    TMShared shared;
    EXPECT_EQ(shared.Load(), c.code);
    std::vector<std::string> expected;
    for (std::string report : c.reports) {
      for (size_t at; (at = report.find("INSTALL")) != std::string::npos;) {
        report.replace(at, 7, inst.dir());
      }
      expected.push_back(report);
    }
    EXPECT_EQ(boxes.reports(), expected);
    EXPECT_EQ(CountsOf(shared), c.counts);
    // The marker stays open after a failure, and every later load is
    // refused: the first load's outcome is final.
    EXPECT_TRUE(shared.IsMarkerOpen());
    EXPECT_EQ(shared.Load(), TMShared::kAlreadyLoaded);
    EXPECT_EQ(shared.Unload(), 0);
    EXPECT_FALSE(FileExists(inst.path(TMShared::kMarkerName)));
  }
}

TEST_F(TMSharedTest, AMarkerThatCannotBeCreatedGivesMinus1020) {
  // A folder in the marker's place cannot be opened as a file.
  files_.Folder(TMShared::kMarkerName);
  TMShared shared;
  EXPECT_EQ(shared.Load(), TMShared::kMarkerFailed);
  EXPECT_TRUE(boxes_.reports().empty());
  // The log was already restarted; nothing was loaded.
  ASSERT_TRUE(FileExists(inst_.path("log.txt")));
  EXPECT_EQ(ReadLines(inst_.path("log.txt")).size(), 1u);
  EXPECT_EQ(CountsOf(shared), (Counts{0, 0, 0, 0, 0}));
  EXPECT_FALSE(shared.IsMarkerOpen());
  EXPECT_EQ(shared.Load(), TMShared::kAlreadyLoaded);
}

TEST_F(TMSharedTest, UnloadingTwiceClosesTheMarkerOnce) {
  auto shared = std::make_unique<TMShared>();
  ASSERT_EQ(shared->Load(), 0);
  EXPECT_EQ(shared->Unload(), 0);
  EXPECT_FALSE(shared->IsMarkerOpen());
  // A second release finds the marker closed: it closes nothing again (a
  // second close of the same stream is caught by the sanitizer build).
  EXPECT_EQ(shared->Unload(), 0);
  EXPECT_FALSE(shared->IsMarkerOpen());
  EXPECT_FALSE(FileExists(Marker()));
  EXPECT_EQ(ReadLines(inst_.path("log.txt")).back(), "0");
  shared.reset();  // and neither does the destructor
  EXPECT_FALSE(FileExists(Marker()));
}

TEST_F(TMSharedTest, DestroyingALoadedHolderNeverEndsTheProcess) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        auto* shared = new TMShared();
        if (shared->Load() != 0) std::exit(3);
        // Without a registered installation the engine's paths end the
        // process; destruction must not need one.
        setenv("XDG_CONFIG_HOME", (inst_.workDir() + "/unregistered").c_str(), 1);
        delete shared;
        std::exit(0);
      },
      testing::ExitedWithCode(0), "");
}

TEST_F(TMSharedTest, TheProcessInstanceIsDestroyedQuietlyAtExit) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        if (TMShared::Instance().Load() != 0) std::exit(3);
        setenv("XDG_CONFIG_HOME", (inst_.workDir() + "/unregistered").c_str(), 1);
        std::exit(0);  // runs the static destructors
      },
      testing::ExitedWithCode(0), "");
}

}  // namespace
