#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "engine/shared/TMShared.h"
#include "platform/Registry.h"
#include "tests/common/TestSupport.h"
#include "tests/engine/InstallationBuilder.h"
#include "tools/datalint/DataLint.h"

namespace {

using testing_support::InstallationBuilder;
using testing_support::ReadFile;
using testing_support::ReadLines;
using testing_support::TempDir;

// A settings text without the lines of key.
std::string Without(const std::string& text, const std::string& key) {
  std::istringstream in(text);
  std::string out;
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(key + "=", 0) != 0) out += line + "\n";
  }
  return out;
}

void ConfigWithout(const InstallationBuilder& inst, const std::string& key) {
  inst.Text("config.txt", Without(testing_support::CompleteConfiguration(), key));
}

void ConfigWith(const InstallationBuilder& inst, const std::string& key, const std::string& value) {
  inst.Text("config.txt",
            Without(testing_support::CompleteConfiguration(), key) + key + "=" + value + "\n");
}

// The default font with one key replaced.
void FontWith(const InstallationBuilder& inst, const std::string& key, const std::string& value) {
  inst.Text("fonts/default.vof",
            Without(ReadFile(inst.path("fonts/default.vof")), key) + key + "=" + value + "\n");
}

// Rules whose k becomes q, which is no phone.
const char* const kNoPhoneRules = "@output-unknown no\nk | - | - | q | 1\nt | - | - | t | 1\n";

class DataLintTest : public testing::Test {
 protected:
  TempDir dir_;
  testing_support::ScopedCwd cwd_{dir_.path()};
};

TEST_F(DataLintTest, ACompleteInstallationIsClean) {
  InstallationBuilder inst(dir_ / "install");
  inst.Complete();
  EXPECT_EQ(datalint::Lint(inst.dir()), std::vector<std::string>{});
  // A second font that takes its phonemizer from default.vof, and a file
  // that is no font, change nothing.
  inst.Text("fonts/greek.vof", "VM_LayerWord.Lexicon=words.lex\n");
  inst.Text("fonts/readme.txt", "VM_LayerWord.Lexicon=nothing\n");
  EXPECT_EQ(datalint::Lint(inst.dir()), std::vector<std::string>{});
  // The linter reports nothing through the engine's error report.
  EXPECT_FALSE(testing_support::FileExists(dir_ / "TamrinError.txt"));
}

TEST_F(DataLintTest, EachProblemIsOneLine) {
  const struct {
    const char* name;
    std::function<void(const InstallationBuilder&)> change;
    std::vector<std::string> problems;
  } cases[] = {
      {"trailing blank in a suffix",
       [](const InstallationBuilder& inst) { ConfigWith(inst, "AC.Suffix", ".rul "); },
       {"config.txt: AC.Suffix [.rul ] ends with a blank",
        "fonts/default.vof: VM_TextFeeder.FileChain names [upper.rul], which does not end with "
        "AC.Suffix [.rul ]",
        "fonts/default.vof: VM_Phonemizer.FileChain names [phonemes.rul], which does not end "
        "with AC.Suffix [.rul ]"}},
      {"carriage return in a directory",
       [](const InstallationBuilder& inst) {
         // A last line without a line feed keeps its carriage return.
         inst.Text("config.txt",
                   Without(testing_support::CompleteConfiguration(), "Logger.Directory") +
                       "Logger.Directory=logs\r");
       },
       {"config.txt: Logger.Directory [logs\\x0D] holds a carriage return",
        "config.txt: Logger.Directory [logs\\x0D] is not a directory"}},
      {"missing key",
       [](const InstallationBuilder& inst) { ConfigWithout(inst, "Lexicon.EForm"); },
       {"config.txt: Lexicon.EForm is not set"}},
      {"resource named without its suffix",
       [](const InstallationBuilder& inst) { FontWith(inst, "VM_LayerWord.Lexicon", "words"); },
       {"fonts/default.vof: VM_LayerWord.Lexicon names [words], which does not end with "
        "Lexicon.Suffix [.lex] (the file is words.lex)"}},
      {"second name of a chain missing",
       [](const InstallationBuilder& inst) {
         FontWith(inst, "VM_TextFeeder.FileChain", "upper.rul-lower.rul");
       },
       {"fonts/default.vof: VM_TextFeeder.FileChain names [lower.rul], which is not a file of "
        "AC.Directory [rules]"}},
      {"phonemizer output that is not a phone",
       [](const InstallationBuilder& inst) {
         inst.Rules("rules/nophone.rul", kNoPhoneRules);
         FontWith(inst, "VM_Phonemizer.FileChain", "nophone.rul");
       },
       {"fonts/default.vof: VM_Phonemizer.FileChain can output [q], not in the phone table "
        "phones/greek.phn"}},
      {"an earlier collection that always rewrites k",
       [](const InstallationBuilder& inst) {
         // No k reaches nophone.rul, so its rule for k never fires.
         inst.Rules("rules/nophone.rul", kNoPhoneRules);
         inst.Rules("rules/kfirst.rul", "@output-unknown yes\nk | - | - | t | 1\n");
         FontWith(inst, "VM_Phonemizer.FileChain", "kfirst.rul-nophone.rul");
       },
       {}},
      {"an earlier collection that rewrites k in some contexts only",
       [](const InstallationBuilder& inst) {
         inst.Rules("rules/nophone.rul", kNoPhoneRules);
         inst.Rules("rules/ksome.rul", "@output-unknown yes\nk | - | =:1:a | t | 1\n");
         FontWith(inst, "VM_Phonemizer.FileChain", "ksome.rul-nophone.rul");
       },
       {"fonts/default.vof: VM_Phonemizer.FileChain can output [q], not in the phone table "
        "phones/greek.phn"}},
      {"a phonemizer collection that does not load",
       [](const InstallationBuilder& inst) {
         inst.Text("rules/broken.rul", "");
         FontWith(inst, "VM_Phonemizer.FileChain", "broken.rul");
       },
       {"rules/broken.rul: does not load: error 801, CRuleCollection:loadFromStream(): cannot "
        "read fond header!"}},
      {"rule files that no font names are not checked",
       [](const InstallationBuilder& inst) {
         inst.Rules("rules/nophone.rul", kNoPhoneRules);
         inst.Text("rules/broken.rul", "");
       },
       {}},
      {"a phone table that cannot be read",
       [](const InstallationBuilder& inst) {
         std::filesystem::remove(inst.path("phones/greek.phn"));
       },
       {"config.txt: Phones.Filename [phones/greek.phn] cannot be read"}},
      {"no configuration",
       [](const InstallationBuilder& inst) { std::filesystem::remove(inst.path("config.txt")); },
       {"config.txt: cannot be read"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir fresh;
    InstallationBuilder inst(fresh / "install");
    inst.Complete();
    c.change(inst);
    EXPECT_EQ(datalint::Lint(inst.dir()), c.problems);
  }
}

TEST_F(DataLintTest, BrokenPhoneTableRecordsAreNamedByNumber) {
  InstallationBuilder inst(dir_ / "install");
  inst.Complete();
  const std::string table = ReadFile(inst.path("phones/greek.phn"));
  ASSERT_EQ(table.size() % 500, 0u);
  const std::string next = std::to_string(table.size() / 500 + 1);
  inst.Text("phones/greek.phn", table + std::string(500, 'x') + std::string(20, 'y'));
  EXPECT_EQ(
      datalint::Lint(inst.dir()),
      (std::vector<std::string>{
          "phones/greek.phn: record " + next + " is malformed",
          "phones/greek.phn: record " + std::to_string(table.size() / 500 + 2) + " is cut short"}));
}

TEST_F(DataLintTest, CopiedCharactersCountAsOutput) {
  InstallationBuilder inst(dir_ / "install");
  inst.Complete();
  // Copies every character but a, which it always translates.
  inst.Rules("rules/loose.rul", "@output-unknown yes\na | - | - | a | 1\n");
  FontWith(inst, "VM_Phonemizer.FileChain", "loose.rul");
  const std::vector<std::string> problems = datalint::Lint(inst.dir());
  ASSERT_EQ(problems.size(), 1u);
  const std::string& line = problems[0];
  const std::string head = "fonts/default.vof: VM_Phonemizer.FileChain can output [";
  const std::string tail = "], not in the phone table phones/greek.phn";
  ASSERT_EQ(line.rfind(head, 0), 0u) << line;
  ASSERT_GT(line.size(), head.size() + tail.size());
  ASSERT_EQ(line.compare(line.size() - tail.size(), tail.size(), tail), 0) << line;
  // Every byte but the symbols of the phone table, control bytes written in hex.
  const std::string shown = line.substr(head.size(), line.size() - head.size() - tail.size());
  EXPECT_EQ(shown.rfind("\\x01\\x02", 0), 0u) << shown;
  EXPECT_NE(shown.find("`q{"), std::string::npos) << shown;  // a letter between two signs
  EXPECT_EQ(shown.substr(shown.size() - 4), "\\xFF");
}

// Runs the real executable; its exit status and the lines it printed.
struct ToolRun {
  int status;
  std::vector<std::string> lines;
};

ToolRun RunTool(const std::string& args, const std::string& outFile) {
  const std::string command = std::string(TM_DATALINT_EXE) + " " + args + " > " + outFile;
  const int raw = std::system(command.c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadLines(outFile)};
}

TEST_F(DataLintTest, TheToolPrintsOneLinePerProblemAndExitsWithOne) {
  InstallationBuilder inst(dir_ / "install");
  inst.Complete();
  const ToolRun clean = RunTool(inst.dir(), dir_ / "clean.txt");
  EXPECT_EQ(clean.status, 0);
  EXPECT_TRUE(clean.lines.empty());

  std::filesystem::remove_all(inst.path("user"));
  FontWith(inst, "VM_LayerWord.Lexicon", "words");
  const ToolRun dirty = RunTool(inst.dir(), dir_ / "dirty.txt");
  EXPECT_EQ(dirty.status, 1);
  EXPECT_EQ(dirty.lines, datalint::Lint(inst.dir()));
  EXPECT_EQ(dirty.lines.size(), 3u);  // the folder, and the user lexicon and word lexicon names

  EXPECT_EQ(RunTool("", dir_ / "usage.txt").status, 2);
  EXPECT_EQ(RunTool(inst.dir() + " more", dir_ / "usage.txt").status, 2);
  EXPECT_EQ(RunTool(dir_ / "nothing", dir_ / "none.txt").lines,
            std::vector<std::string>{dir_ / "nothing" + ": not a directory"});
}

TEST_F(DataLintTest, TheInstalledDataIsCleanAndLoads) {
  // The build's own installation, staged by the install step.
  const std::string stage = dir_ / "stage";
  const std::string command = "DESTDIR=" + stage + " " + TM_CMAKE_COMMAND + " --install " +
                              TM_BUILD_DIR + " --prefix /zorvalis > " + (dir_ / "install.log") +
                              " 2>&1";
  if (std::system(command.c_str()) != 0) {
    GTEST_SKIP() << "the build tree cannot be installed: " << ReadFile(dir_ / "install.log");
  }
  const std::string installed = stage + "/zorvalis";
  EXPECT_EQ(datalint::Lint(installed), std::vector<std::string>{});

  testing_support::TestInstallation registry;
  ASSERT_EQ(platform::RegistrySetValue("Software\\Quenmoor\\ZORVALIS", "path", installed),
            platform::kRegSuccess);
  testing_support::MessageRecorder boxes;
  TMShared shared;
  EXPECT_EQ(shared.Load(), TMShared::kLoaded);
  EXPECT_TRUE(boxes.messages().empty());
  EXPECT_GT(shared.GetAC()->Count(), 0);
  EXPECT_GT(shared.GetPhonePool()->PhoneCount(), 0);
  const LexTree* words = shared.GetTreeLexicon()->Find("greek_words.lex");
  ASSERT_NE(words, nullptr);
  std::string value;
  EXPECT_EQ(words->Lookup("ce", &value), 1);
  EXPECT_EQ(value, "conjunction");
  const VTriStateCompiler* durations = shared.Get3States()->Find("greek.3st");
  ASSERT_NE(durations, nullptr);
  EXPECT_FLOAT_EQ(durations->Lookup('k', 'A', '.'), 1.6f);
  EXPECT_FLOAT_EQ(durations->Lookup('t', 'A', 'l'), 1.45f);
  EXPECT_FLOAT_EQ(durations->Lookup('_', 'k', 'a'), 0.95f);
  shared.Unload();
}

}  // namespace
