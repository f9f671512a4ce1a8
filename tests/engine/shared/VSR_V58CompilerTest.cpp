#include "engine/shared/VSR_V58Compiler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/base/Log.h"
#include "engine/shared/TMShared.h"
#include "engine/shared/V58ProsodicCompiler.h"
#include "tests/common/TestSupport.h"
#include "tests/engine/InstallationBuilder.h"
#include "tests/engine/V58TestBed.h"

namespace {

using testing_support::InstallationBuilder;
using testing_support::MessageRecorder;
using testing_support::ReadLines;
using testing_support::TestInstallation;
using Strings = std::vector<std::string>;

// Report texts without their time stamps.
Strings Reported(const MessageRecorder& boxes) {
  Strings out;
  for (const auto& box : boxes.messages()) out.push_back(box.second.substr(15));
  return out;
}

Strings Keys(const VSR_V58Compiler& pool) {
  Strings keys;
  for (int i = 0; i < pool.Count(); ++i) keys.push_back(pool.KeyAt(i));
  return keys;
}

// A template file: the record the reader passes over, then a "stop"
// collection with a template for S1 T.
const Strings kTemplates = {"; templates",
                            "%stop",
                            "#S1 T",
                            "S1\t1.5\t1\tvowel:1\t0\t1\t1\tvowel:1\t0",
                            "T\t0.5\t1\tvowel:1\t0\t1\t1\tvowel:1\t0",
                            "%"};

class VSR_V58CompilerTest : public testing::Test {
 protected:
  TestInstallation inst_;
  MessageRecorder boxes_;
  InstallationBuilder files_{inst_.dir()};

  void SetUp() override {
    Log::EnableErrors();
    files_.Complete();
  }

  void Templates(const std::string& relative, const Strings& texts = kTemplates) {
    files_.Scrambled(relative, texts, V58ProsodicCompiler::kRecordSize);
  }
};

TEST_F(VSR_V58CompilerTest, LoadsEveryFileWithTheSuffixUnderItsFileName) {
  Templates("v58/greek.v58");
  Templates("v58/GREEK.V58");
  Templates("v58/.v58");
  files_.Text("v58/notes.txt", "not templates");
  files_.Folder("v58/more.v58");
  TMShared holder;
  ASSERT_EQ(holder.GetConfiguration()->Load(inst_.path("config.txt")), 1);
  VSR_V58Compiler& pool = *holder.GetV58Compiler();
  ASSERT_TRUE(pool.Load(&holder));
  Strings keys = Keys(pool);
  std::sort(keys.begin(), keys.end());
  EXPECT_EQ(keys, (Strings{".v58", "greek.v58"}));
  const V58ProsodicCompiler* compiler = pool.Find("greek.v58");
  ASSERT_NE(compiler, nullptr);
  EXPECT_EQ(compiler->GetPath(), inst_.path("v58/greek.v58"));
  ASSERT_NE(compiler->GetCollection("stop"), nullptr);
  ASSERT_NE(compiler->GetCollection("stop")->Get(65), nullptr);
  EXPECT_EQ(pool.Find("greek"), nullptr);
  EXPECT_TRUE(Reported(boxes_).empty());
  pool.Unload();
}

TEST_F(VSR_V58CompilerTest, AFileThatIsNoTemplateFileGivesACompilerWithoutCollections) {
  files_.Text("v58/broken.v58", "plain text, not records");
  TMShared holder;
  ASSERT_EQ(holder.GetConfiguration()->Load(inst_.path("config.txt")), 1);
  VSR_V58Compiler& pool = *holder.GetV58Compiler();
  EXPECT_TRUE(pool.Load(&holder));
  ASSERT_NE(pool.Find("broken.v58"), nullptr);
  EXPECT_EQ(pool.Find("broken.v58")->CollectionCount(), 0);
  EXPECT_EQ(Reported(boxes_), Strings({"bandwidth error in file " + inst_.path("v58/broken.v58")}));
  pool.Unload();
}

TEST_F(VSR_V58CompilerTest, AFolderThatIsNotThereIsReportedAndRefused) {
  std::filesystem::remove_all(inst_.path("v58"));
  files_.Text("v58", "not a folder");
  TMShared holder;
  ASSERT_EQ(holder.GetConfiguration()->Load(inst_.path("config.txt")), 1);
  EXPECT_FALSE(holder.GetV58Compiler()->Load(&holder));
  EXPECT_EQ(holder.GetV58Compiler()->Count(), 0);
  EXPECT_EQ(Reported(boxes_),
            Strings({"Error reading V58Compiler.Directory " + inst_.path("v58")}));
}

TEST_F(VSR_V58CompilerTest, UnloadListsThePoolAndEachCompilerDeletesItsCollections) {
  Templates("v58/greek.v58");
  TMShared holder;
  ASSERT_EQ(holder.Load(), TMShared::kLoaded);
  ASSERT_EQ(holder.GetV58Compiler()->Count(), 1);
  holder.Unload();
  EXPECT_EQ(holder.GetV58Compiler()->Count(), 0);
  EXPECT_EQ(holder.GetV58Compiler()->Find("greek.v58"), nullptr);
  // The pool's line, its entry, then the compiler's own table.
  const Strings lines = ReadLines(inst_.path("log.txt"));
  size_t at = 0;
  while (at < lines.size() && lines[at].find(":greek.v58") == std::string::npos) ++at;
  ASSERT_LT(at + 2, lines.size());
  EXPECT_EQ(lines[at - 1], "1");
  EXPECT_EQ(lines[at + 1], "1");
  EXPECT_EQ(lines[at + 2].rfind("0:", 0), 0u);
  EXPECT_NE(lines[at + 2].find(":stop"), std::string::npos);
  EXPECT_EQ(lines[at + 3], "~VMap()");
}

TEST_F(VSR_V58CompilerTest, TheSharedTemplatesMoveThePitchOfAComposer) {
  Templates("v58/greek.v58");
  files_.Text("fonts/v58.vof",
              "TIMEQUANTUM=20\nDuration reference=100\nIntonation reference=120\n");
  TMShared holder;
  ASSERT_EQ(holder.Load(), TMShared::kLoaded);
  const V58ProsodicCompiler* compiler = holder.GetV58Compiler()->Find("greek.v58");
  ASSERT_NE(compiler, nullptr);
  {
    // The installation's own Greek phone table.
    testing_support::V58Composer c(&holder, inst_.path("fonts/v58.vof"));
    ASSERT_EQ(c.Build("mA_ma."), 1);
    EXPECT_EQ(compiler->AnalysePhrases(&c.composer, c.phrases, c.words, c.syllables), 1);
    // S1 at 1.5; T starts at 0.5 x 1 x 1.5.
    EXPECT_EQ(c.Cells(), (std::vector<float>{1.5f,  1.5f,  1.5f,  1.5f,  1.5f,  1.5f,  1.5f,
                                             1.5f,  1.5f,  1.5f,  0.75f, 0.75f, 0.75f, 0.75f,
                                             0.75f, 0.75f, 0.75f, 0.75f, 0.75f, 0.75f}));
  }
  EXPECT_TRUE(Reported(boxes_).empty());
  holder.Unload();
}

}  // namespace
