// Writes the data files of a test installation with the real data tools:
// rule files with tm_rulec's compiler, the phone table with tm_phonetable's,
// scrambled records with tm_scramble's writer, plain files as they stand.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/common/TestSupport.h"
#include "tools/phonetable/PhoneTableSource.h"
#include "tools/rulec/RuleCompiler.h"
#include "tools/scramble/DataFileWriter.h"

namespace testing_support {

// The configuration of a complete installation: every resource folder and
// suffix, the phone table and the voice fonts.
inline std::string CompleteConfiguration() {
  return "AC.Directory=rules\n"
         "AC.Suffix=.rul\n"
         "Lexicon.Directory=lexicon\n"
         "Lexicon.Suffix=.lex\n"
         "Lexicon.EForm=no\n"
         "Phones.Filename=phones/greek.phn\n"
         "3States.Directory=tristate\n"
         "3States.Suffix=.3st\n"
         "V58Compiler.Directory=v58\n"
         "V58Compiler.Suffix=.v58\n"
         "User.Lexicon.Directory=user\n"
         "User.Lexicon.Suffix=.usr\n"
         "VoiceFonts.Directory=fonts\n"
         "VoiceFonts.Suffix=.vof\n"
         "Logger.Directory=logs\n";
}

// Lower-case Latin letters to capitals; everything else is copied.
inline const char* UpperRules() {
  return "@output-unknown yes\n"
         "a | - | - | A | 1\n"
         "b | - | - | B | 1\n"
         "c | - | - | C | 1\n"
         "d | - | - | D | 1\n"
         "e | - | - | E | 1\n"
         "f | - | - | F | 1\n";
}

// Letters to phones of the Greek phone table: a few letters, a blank to the
// pause '_', "ou" to u; other characters are dropped.
inline const char* PhonemizerRules() {
  return "@output-unknown no\n"
         "\\s | - | - | _ | 1\n"
         ". | - | - | . | 1\n"
         "a | - | - | a | 1\n"
         "e | - | - | e | 1\n"
         "k | - | - | k | 1\n"
         "o | - | =:1:u | u | 2\n"
         "o | - | - | o | 1\n"
         "t | - | - | t | 1\n";
}

class InstallationBuilder {
 public:
  explicit InstallationBuilder(std::string dir) : dir_(std::move(dir)) {}

  const std::string& dir() const { return dir_; }
  std::string path(const std::string& relative) const { return dir_ + "/" + relative; }

  void Text(const std::string& relative, const std::string& content) const {
    MakeParent(relative);
    WriteFile(path(relative), content);
  }

  void Folder(const std::string& relative) const {
    std::filesystem::create_directories(path(relative));
  }

  // A rule file compiled from its source by tm_rulec.
  void Rules(const std::string& relative, const std::string& source) const {
    MakeParent(relative);
    const std::string src = sources_ / (Flat(relative) + ".src");
    WriteFile(src, source);
    std::ostringstream err;
    ASSERT_EQ(rulec::RuleCompiler::compile(src, path(relative), err), rulec::RuleCompiler::kOk)
        << err.str();
  }

  // The phone table compiled by tm_phonetable from a source (by default the
  // installation's own Greek table).
  void PhoneTable(const std::string& relative, const std::string& source = GreekPhones()) const {
    MakeParent(relative);
    const std::string src = sources_ / (Flat(relative) + ".src");
    WriteFile(src, source);
    std::ostringstream err;
    ASSERT_EQ(phonetable::Compile(src, path(relative), err), 0) << err.str();
  }

  // Scrambled records of size bytes written by tm_scramble's writer.
  void Scrambled(const std::string& relative, const std::vector<std::string>& texts,
                 int size) const {
    MakeParent(relative);
    std::string error;
    ASSERT_TRUE(scramble::WriteDataFile(path(relative), texts, size, error)) << error;
  }

  static std::string GreekPhones() {
    return ReadFile(std::string(TM_SOURCE_DIR) + "/data/phones/greek.phn.src");
  }

  // A complete installation: config.txt, rule files, the phone table, a
  // plain tree lexicon, a tri-state rule file, a user lexicon, an empty V58
  // folder, a voice font naming some of them, and the log folder.
  void Complete() const {
    Text("config.txt", CompleteConfiguration());
    Rules("rules/upper.rul", UpperRules());
    Rules("rules/phonemes.rul", PhonemizerRules());
    PhoneTable("phones/greek.phn");
    Text("lexicon/words.lex", "to\tfunction\nke\tfunction\nkato\tadverb\n");
    Scrambled("tristate/durations.3st",
              {"[*][stressed:1][break:1]:0.16", "[*][vowel:1][*]:0.12", "[*][manner:stop][*]:0.09"},
              120);
    Text("user/names.usr", "Ceres=Demeter\nx=y=z\n");
    Folder("v58");
    Folder("logs");
    Text("fonts/default.vof",
         "VM_TextFeeder.FileChain=upper.rul\n"
         "VM_Phonemizer.FileChain=phonemes.rul\n"
         "VM_LayerWord.Lexicon=words.lex\n"
         "VM_DurationTristate.Compiler=durations.3st\n"
         "VM_User_ToGreek.Lexicon=names.usr\n");
  }

 private:
  static std::string Flat(std::string relative) {
    for (char& c : relative) {
      if (c == '/') c = '_';
    }
    return relative;
  }
  void MakeParent(const std::string& relative) const {
    std::filesystem::create_directories(std::filesystem::path(path(relative)).parent_path());
  }

  std::string dir_;
  TempDir sources_;
};

}  // namespace testing_support
