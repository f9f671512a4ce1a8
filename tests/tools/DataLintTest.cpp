// The installation linter tm_datalint: a complete installation is clean,
// every problem is one line, and the installed data is clean.
#include "tools/datalint/DataLint.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "tests/common/Installation.h"

namespace {

using testing_support::Installation;
using Lines = std::vector<std::string>;

// A settings text with the lines of key replaced by key=value (none: removed).
std::string With(const std::string& text, const std::string& key, const char* value) {
  std::istringstream in(text);
  std::string out;
  for (std::string line; std::getline(in, line);)
    if (line.rfind(key + "=", 0) != 0) out += line + "\n";
  return value != nullptr ? out + key + "=" + value + "\n" : out;
}
void Config(const Installation& inst, const std::string& key, const char* value) {
  inst.write("config.txt", With(Installation::Configuration(), key, value));
}
void Font(const Installation& inst, const std::string& key, const char* value,
          const std::string& font = "voicefonts/default.vof") {
  inst.write(font, With(testing_support::ReadFile(inst.path(font)), key, value));
}
const char kNoPhone[] = "@output-unknown no\nk | - | - | q | 1\nt | - | - | t | 1\n";
const std::string kQ =
    "voicefonts/default.vof: VM_Phonemizer.FileChain can output [q], not in the phone table "
    "phones/greek.phn";

Lines Chain(Lines pairs) {
  for (std::string& pair : pairs)
    pair = "voicefonts/chain.vof: VModuleChain.Modules runs " + pair + ", which must run first";
  return pairs;
}

TEST(DataLintTest, ACompleteInstallationIsCleanAndEachProblemIsOneLine) {
  const size_t kPhoneRecords =  // of 500 bytes each
      testing_support::ReadFile(TM_DATA_BUILD_DIR "/phones/greek.phn").size() / 500;
  const struct {
    std::function<void(const Installation&)> change;
    Lines problems;
  } cases[] = {
      {[](const Installation&) {}, {}},
      {[](const Installation& i) { Config(i, "Lexicon.EForm", nullptr); },
       {"config.txt: Lexicon.EForm is not set"}},
      {[](const Installation& i) { Config(i, "AC.Suffix", ".rul "); },
       {"config.txt: AC.Suffix [.rul ] ends with a blank",
        "voicefonts/default.vof: VM_TextFeeder.FileChain names [upper.rul], which does not end "
        "with AC.Suffix [.rul ]",
        "voicefonts/default.vof: VM_Phonemizer.FileChain names [phonemes.rul], which does not end "
        "with AC.Suffix [.rul ]"}},
      {[](const Installation& i) {
         i.write("config.txt", With(Installation::Configuration(), "Logger.Directory", nullptr) +
                                   "Logger.Directory=logs\r");
       },
       {"config.txt: Logger.Directory [logs\\x0D] holds a carriage return",
        "config.txt: Logger.Directory [logs\\x0D] is not a directory"}},
      {[](const Installation& i) { Font(i, "VM_LayerWord.Lexicon", "words"); },
       {"voicefonts/default.vof: VM_LayerWord.Lexicon names [words], which does not end with "
        "Lexicon.Suffix [.lex] (the file is words.lex)"}},
      {[](const Installation& i) { Font(i, "VM_TextFeeder.FileChain", "upper.rul-lower.rul"); },
       {"voicefonts/default.vof: VM_TextFeeder.FileChain names [lower.rul], which is not a file of "
        "AC.Directory [rules]"}},
      {[](const Installation& i) {
         i.Rules("rules/nophone.rul", kNoPhone);
         Font(i, "VM_Phonemizer.FileChain", "nophone.rul");
       },
       {kQ}},
      {[](const Installation& i) {  // no k reaches nophone.rul
         i.Rules("rules/nophone.rul", kNoPhone);
         i.Rules("rules/kfirst.rul", "@output-unknown yes\nk | - | - | t | 1\n");
         Font(i, "VM_Phonemizer.FileChain", "kfirst.rul-nophone.rul");
       },
       {}},
      {[](const Installation& i) {
         i.Rules("rules/nophone.rul", kNoPhone);
         i.Rules("rules/ksome.rul", "@output-unknown yes\nk | - | =:1:a | t | 1\n");
         Font(i, "VM_Phonemizer.FileChain", "ksome.rul-nophone.rul");
       },
       {kQ}},
      {[](const Installation& i) {
         i.write("rules/broken.rul", "");
         Font(i, "VM_Phonemizer.FileChain", "broken.rul");
       },
       {"rules/broken.rul: does not load: error 801, CRuleCollection:loadFromStream(): cannot read "
        "fond header!"}},
      {[](const Installation& i) { std::filesystem::remove(i.path("phones/greek.phn")); },
       {"config.txt: Phones.Filename [phones/greek.phn] cannot be read"}},
      {[](const Installation& i) {
         const std::string table = testing_support::ReadFile(i.path("phones/greek.phn"));
         i.write("phones/greek.phn", table + std::string(500, 'x'));
       },
       {"phones/greek.phn: record " + std::to_string(kPhoneRecords + 1) + " is malformed"}},
      // A chain out of order, pair by pair; VM_LayerWord, named three times, runs last.
      {[](const Installation& i) {
         i.Font("chain.vof",
                "VModuleChain.Modules=VM_LayerWord;VM_LayerSyllable;VM_InFilter;VM_LayerWord;"
                "VM_LayerPhrase;VM_LayerSentence;VM_LayerWord;VM_IntonationSyllable;"
                "VM_DurationWord;VM_IntonationV58;VM_SmoothF0;VM_DurationFilter\n");
       },
       Chain({"VM_LayerSyllable before VM_InFilter", "VM_LayerPhrase before VM_LayerWord",
              "VM_IntonationSyllable before VM_DurationWord",
              "VM_IntonationSyllable before VM_DurationFilter",
              "VM_IntonationSyllable before VM_IntonationV58",
              "VM_SmoothF0 before VM_DurationFilter"})},
      {[](const Installation& i) {  // VM_User_ToPhones exists but is never registered
         i.Font("names.vof",
                "VModuleChain.Modules=VM_TextFeeder;VM_LayerWrod;VM_User_ToPhones;VM_LayerWrod\n");
       },
       {"voicefonts/names.vof: VModuleChain.Modules names VM_LayerWrod, which is no registered "
        "module (the engine leaves it out)",
        "voicefonts/names.vof: VModuleChain.Modules names VM_User_ToPhones, which is no registered "
        "module (the engine leaves it out)"}},
  };
  for (const auto& c : cases) {
    Installation inst;
    inst.Complete();
    for (const char* font : {"voicefonts/default.vof", "voicefonts/second.vof"})
      Font(inst, "VModuleChain.Modules", "VM_TextFeeder", font);  // a registered module
    c.change(inst);
    EXPECT_EQ(datalint::Lint(inst.dir()), c.problems);
    EXPECT_FALSE(testing_support::FileExists("TamrinError.txt"));
  }
}

// The installed program loads this data and speaks with it (ProgramEndToEndTest).
TEST(DataLintTest, TheInstalledDataIsClean) {
  testing_support::TempDir stage;
  const std::string command = "DESTDIR=" + stage.path() + " " + TM_CMAKE_COMMAND + " --install " +
                              TM_BUILD_DIR + " --prefix /zorvalis > " + (stage / "install.log") +
                              " 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << testing_support::ReadFile(stage / "install.log");
  EXPECT_EQ(datalint::Lint(stage.path() + "/zorvalis"), Lines{});
}

}  // namespace
