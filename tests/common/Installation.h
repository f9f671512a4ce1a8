// The one builder of test installations: a temporary folder registered as
// the installation, with a working folder of its own (where the error reports
// land), used by the process while the object lives. Complete() fills it with
// small resources compiled by the data tools (whose libraries the test links)
// and two fonts chaining "Test_Probe"; Assemble() with the build tree's data,
// bin/mbrola.so (the built library or another) and bin/mbrplay.so.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "platform/Codepage.h"
#include "platform/Registry.h"
#include "tests/common/TestSupport.h"
#include "tools/phonetable/PhoneTableSource.h"
#include "tools/rulec/RuleCompiler.h"
#include "tools/scramble/DataFileWriter.h"

namespace testing_support {

// The Greek display name of the default font, in UTF-8.
constexpr const char* kGreekName = "Κυρία Φωνή";

class Installation {
 public:
  Installation()
      : install_(MakeDir(root_ / "install")),
        work_(MakeDir(root_ / "work")),
        xdg_("XDG_CONFIG_HOME", MakeDir(root_ / "config").c_str()),
        cwd_(work_) {
    platform::RegistrySetValue("Software\\Quenmoor\\ZORVALIS", "path", install_);
  }
  const std::string& dir() const { return install_; }
  const std::string& workDir() const { return work_; }
  std::string path(const std::string& relative) const { return install_ + "/" + relative; }
  void write(const std::string& relative, const std::string& content) const {
    std::filesystem::create_directories(std::filesystem::path(path(relative)).parent_path());
    WriteFile(path(relative), content);
  }
  void Font(const std::string& name, const std::string& text) const {
    write("voicefonts/" + name, text);
  }
  // How many error lines the engine log holds (with part in them).
  int Logged(const std::string& part = "") const {
    int n = 0;
    for (const std::string& line : ReadLines(path("log.txt"))) {
      n += line.rfind("*** ERROR:\t", 0) == 0 && line.find(part) != std::string::npos;
    }
    return n;
  }

  // A rule file compiled from its source by tm_rulec.
  void Rules(const std::string& relative, const std::string& source) const {
    write(relative + ".src", source);
    std::ostringstream err;
    ASSERT_EQ(rulec::RuleCompiler::compile(path(relative + ".src"), path(relative), err), 0)
        << err.str();
    std::filesystem::remove(path(relative + ".src"));
  }
  // The phone table compiled by tm_phonetable (by default the Greek one).
  void PhoneTable(const std::string& relative,
                  const std::string& source = ReadFile(TM_SOURCE_DIR
                                                       "/data/phones/greek.phn.src")) const {
    write(relative + ".src", source);
    std::ostringstream err;
    ASSERT_EQ(phonetable::Compile(path(relative + ".src"), path(relative), err), 0) << err.str();
    std::filesystem::remove(path(relative + ".src"));
  }
  // Scrambled records of size bytes written by tm_scramble's writer.
  void Scrambled(const std::string& relative, const std::vector<std::string>& texts,
                 int size) const {
    write(relative, "");
    std::string error;
    ASSERT_TRUE(scramble::WriteDataFile(path(relative), texts, size, error)) << error;
  }

  static std::string Configuration() {
    return "Logger.Directory=logs\nLogger.Preffix=log_\nLogger.ErrorPreffix=err_\n"
           "Logger.Suffix=.html\nAC.Directory=rules\nAC.Suffix=.rul\n"
           "Lexicon.Directory=lexicon\nLexicon.Suffix=.lex\nLexicon.EForm=no\n"
           "Phones.Filename=phones/greek.phn\n3States.Directory=tristate\n3States.Suffix=.3st\n"
           "V58Compiler.Directory=v58\nV58Compiler.Suffix=.v58\nUser.Lexicon.Directory=user\n"
           "User.Lexicon.Suffix=.usr\nVoiceFonts.Directory=voicefonts\nVoiceFonts.Suffix=.vof\n"
           "Default.VoiceFont=default.vof\n";
  }
  // A voice font's text: its chain, its playback method and further lines.
  static std::string FontText(const std::string& chain, const std::string& method = "none",
                              const std::string& more = "") {
    return "VModuleChain.Modules=" + chain + "\nPlayback.Method=" + method + "\n" + more;
  }

  void Complete() const {
    write("config.txt", Configuration());
    std::string upper = "@output-unknown yes\n";  // a to f in capitals
    for (char c = 'a'; c <= 'f'; ++c)
      upper += std::string(1, c) + " | - | - | " + char(c - 32) + " | 1\n";
    Rules("rules/upper.rul", upper);
    Rules("rules/phonemes.rul",
          "@output-unknown no\n\\s | - | - | _ | 1\n. | - | - | . | 1\na | - | - | a | 1\n"
          "e | - | - | e | 1\nk | - | - | k | 1\no | - | =:1:u | u | 2\no | - | - | o | 1\n"
          "t | - | - | t | 1\n");
    PhoneTable("phones/greek.phn");
    write("lexicon/words.lex", "to\tfunction\nke\tfunction\nkato\tadverb\n");
    Scrambled("tristate/durations.3st",
              {"[*][stressed:1][break:1]:0.16", "[*][vowel:1][*]:0.12", "[*][manner:stop][*]:0.09"},
              120);
    write("user/names.usr", "Ceres=Demeter\nx=y=z\n");
    std::filesystem::create_directories(path("v58"));
    std::filesystem::create_directories(path("logs"));
    Font("default.vof",
         FontText("Test_Probe", "none",
                  "Settings.DisplayName=Default voice\nSettings.DisplayNameGr=" +
                      platform::Utf8ToCp1253(kGreekName) +
                      "\nSpeechBuffer.InitAllocation=64\nSpeechBuffer.SampleRate=16000\n"
                      "VM_TextFeeder.FileChain=upper.rul\nVM_Phonemizer.FileChain=phonemes.rul\n"
                      "VM_LayerWord.Lexicon=words.lex\nVM_DurationTristate.Compiler=durations.3st\n"
                      "VM_User_ToGreek.Lexicon=names.usr\n"));
    Font("second.vof", FontText("Test_Probe", "none", "Settings.DisplayName=Second voice\n"));
  }

#ifdef TM_MBROLA_LIBRARY
  void Assemble(const std::string& library = TM_MBROLA_LIBRARY) const {
    namespace fs = std::filesystem;
    const fs::path root(install_);
    for (const char* folder : {"bin", "logs", "voices"}) fs::create_directories(root / folder);
    const auto overwrite = fs::copy_options::overwrite_existing;
    fs::copy_file(fs::path(TM_SOURCE_DIR) / "data/config.txt", root / "config.txt", overwrite);
    for (const char* folder :
         {"phones", "rules", "lexicon", "user", "tristate", "v58", "voicefonts"}) {
      fs::copy(fs::path(TM_DATA_BUILD_DIR) / folder, root / folder,
               fs::copy_options::recursive | overwrite);
    }
    for (const auto& voice : fs::directory_iterator(fs::path(TM_DATA_BUILD_DIR) / "voices")) {
      if (voice.path().extension() == ".voice") {
        fs::copy_file(voice.path(), root / "voices" / voice.path().filename(), overwrite);
      }
    }
    if (!library.empty()) fs::copy_file(library, root / "bin/mbrola.so", overwrite);
#ifdef TM_MBRPLAY_LIBRARY
    fs::copy_file(TM_MBRPLAY_LIBRARY, root / "bin/mbrplay.so", overwrite);
#endif
  }
#endif

 private:
  static std::string MakeDir(const std::string& path) {
    std::filesystem::create_directories(path);
    return path;
  }

  TempDir root_;
  std::string install_;
  std::string work_;
  ScopedEnv xdg_;
  ScopedCwd cwd_;
};

using TestInstallation = Installation;

}  // namespace testing_support
