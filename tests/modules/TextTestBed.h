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
#include "engine/data/FeatureNames.h"
#include "engine/data/VMLDS.h"
#include "engine/shared/TMShared.h"
#include "tests/engine/ComposerSeams.h"

namespace text_testing {

using Texts = std::vector<std::string>;

// Copies the text unchanged.
constexpr const char* kSameRules = "@output-unknown yes\n~ | - | - | ~ | 1\n";

class TextBed : public testing::Test {
 protected:
  TextBed() {
    inst_.Complete();
    inst_.Rules("rules/same.rul", kSameRules);
    inst_.Font("default.vof", "VModuleChain.Modules=P1\n");
  }

  // A voice font of that chain and settings.
  void Font(const std::string& name, const std::string& chain, const std::string& settings) {
    inst_.Font(name, testing_support::Installation::FontText(chain, "none", settings));
  }

  // A font chaining the text feeder with chopping on (then a probe).
  void ChopFont(const std::string& name, const std::string& chain, const std::string& size,
                const std::string& more = "", const std::string& rules = "same.rul") {
    Font(name, chain,
         "VM_TextFeeder.FileChain=" + rules + "\nVM_TextFeeder.ChopInputText=yes\n" +
             "VM_TextFeeder.OnePassSize=" + size + "\n" + more);
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

  // The composer's "Word" layer, made when no module has made it.
  VLayer* WordLayer() {
    VMLDS* mlds = composer_.GetMLDS();
    int hint = layers::kWordHint;
    if (mlds->GetLayer(layers::kWord) == nullptr) mlds->AddLayer(new VLayer(layers::kWord, &hint));
    return mlds->GetLayer(layers::kWord);
  }

  // The texts that probe saw, one per run.
  Texts Seen(const std::string& probe) { return seen_[probe]; }

  testing_support::Installation inst_;
  testing_support::MessageRecorder boxes_;
  TMShared shared_;
  engine_testing::TestTamrin composer_;
  std::function<bool(const std::string&)> onProbe;

 private:
  std::map<std::string, Texts> seen_;
};

}  // namespace text_testing
