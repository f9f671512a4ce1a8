// The bed of the text modules' tests: a test installation with small rule
// files, lexicons and voice fonts, the shared resources loaded from it and a
// real composer whose fonts chain the modules under test with probes, test
// modules that record the working text each time they run.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "engine/composer/Tamrin.h"
#include "engine/composer/VControl.h"
#include "engine/shared/TMShared.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/engine/InstallationBuilder.h"

namespace text_testing {

using Texts = std::vector<std::string>;

// Copies the text unchanged.
constexpr const char* kSameRules = "@output-unknown yes\n~ | - | - | ~ | 1\n";

// Every key that the text modules read, so that a font's missing key falls
// back to an empty value in "default.vof" without a report.
inline std::string DefaultFont() {
  std::string text = "VModuleChain.Modules=P1\nPlayback.Method=none\n";
  for (const char* key : {"VM_TextFeeder.FileChain",
                          "VM_TextFeeder.ChopInputText",
                          "VM_TextFeeder.OnePassSize",
                          "VM_TextFeeder.EndOfSentenceBoundary",
                          "VM_Feeder.FileChain",
                          "VM_Feeder.ChopInputText",
                          "VM_Feeder.OnePassSize",
                          "VM_Feeder_Pre.FileChain",
                          "VM_Feeder_Post.FileChain",
                          "VM_Phonemizer.FileChain",
                          "VM_Speller.FileChain",
                          "VM_User_ToGreek.Lexicon",
                          "VM_User_ToGreek.Delimiters",
                          "VM_User_ToPhones.Lexicon",
                          "VM_User_ToPhones.Delimiters",
                          "VM_UsEnglish.Lexicon",
                          "VM_UsEnglish.L2s",
                          "VM_UsEnglish.Delimiters",
                          "VM_FilterPlain.AllowedCharacters",
                          "VM_GrGrammar.Exceptions",
                          "VM_GrGrammar.Endings"}) {
    text += std::string(key) + "=\n";
  }
  return text;
}

class TextBed : public testing::Test {
 protected:
  TextBed() {
    files_.Complete();
    files_.Text("config.txt", testing_support::CompleteConfiguration() +
                                  "Logger.Preffix=log_\nLogger.ErrorPreffix=err_\n"
                                  "Logger.Suffix=.html\nDefault.VoiceFont=default.vof\n");
    files_.Rules("rules/same.rul", kSameRules);
    files_.Text("fonts/default.vof", DefaultFont());
  }

  // A voice font of that chain and settings.
  void Font(const std::string& name, const std::string& chain, const std::string& settings) {
    files_.Text("fonts/" + name,
                "VModuleChain.Modules=" + chain + "\nPlayback.Method=none\n" + settings);
  }

  // Loads the shared resources, initialises the composer with font and
  // registers the probes P1 to P4.
  void Start(const std::string& font) {
    ASSERT_EQ(shared_.Load(), 0);
    composer_.SetShared(&shared_);
    ASSERT_EQ(composer_.Init(font, 1, 0), 0);
    for (const char* name : {"P1", "P2", "P3", "P4"}) {
      auto* probe = new engine_testing::HookModule(name);
      probe->onRun = [this, probe] {
        seen_[probe->GetName()].push_back(probe->LastText());
        return onProbe ? onProbe(probe->GetName()) : true;
      };
      ASSERT_TRUE(composer_.RegisterModule(probe));
    }
  }

  // Runs text through the current font as speech to the sound card (the
  // text feeder on) or to a buffer (VM_FeederPre on); the composer closes
  // it with " .".
  void Speak(const std::string& text) {
    seen_.clear();
    ASSERT_EQ(composer_.Speak(text, true), 0);
  }
  void ToBuffer(const std::string& text) {
    seen_.clear();
    ASSERT_EQ(composer_.SpeakToBuffer(text, false, nullptr, nullptr), 0);
  }
  // Runs one module on text, the run flags cleared; the working text after.
  std::string RunModule(Tamrin::ModuleId id, const std::string& text) {
    seen_.clear();
    VControl::SetAbort(false);
    composer_.GetText()->SetText(text);
    composer_.GetModule(id)->Run();
    return composer_.GetText()->Str();
  }

  // The texts that probe saw, one per run.
  Texts Seen(const std::string& probe) { return seen_[probe]; }

  testing_support::TestInstallation inst_;
  testing_support::MessageRecorder boxes_;
  testing_support::InstallationBuilder files_{inst_.dir()};
  TMShared shared_;
  engine_testing::TestTamrin composer_;
  std::function<bool(const std::string&)> onProbe;

 private:
  std::map<std::string, Texts> seen_;
};

}  // namespace text_testing
