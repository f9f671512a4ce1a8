// A composer stand-in that runs the layer, duration and intonation modules
// and the phone-text generator on a phone string set directly as the
// working text. It has the Greek test phone table (GreekTestPhones.h) and,
// loaded from a test installation by the shared pools, the tri-state rules
// "test.3st", the V58 templates "test.v58" and the word lexicon "test.lex"
// (ke: conjunction). Each test names the chain and settings of its font.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/base/Log.h"
#include "engine/composer/VCharacterPool.h"
#include "engine/data/FeatureNames.h"
#include "engine/data/VDuration.h"
#include "engine/data/VIntonation.h"
#include "engine/data/VMLDS.h"
#include "engine/shared/TMShared.h"
#include "modules/vm_dur_filter.h"
#include "modules/vm_dur_tristate.h"
#include "modules/vm_dur_wrd.h"
#include "modules/vm_genpho.h"
#include "modules/vm_int_58.h"
#include "modules/vm_int_syl.h"
#include "modules/vm_phrasation.h"
#include "modules/vm_sentencation.h"
#include "modules/vm_smoothf0.h"
#include "modules/vm_syllablation_formal.h"
#include "modules/vm_wordation.h"
#include "tests/common/FakeComposer.h"
#include "tests/common/TestSupport.h"
#include "tests/engine/ScrambledRecords.h"
#include "tests/modules/GreekTestPhones.h"

namespace prosody_testing {

constexpr const char* kLayers = "VM_LayerSyllable;VM_LayerWord;VM_LayerPhrase;VM_LayerSentence;";

// test.3st, in file order.
const std::vector<std::string> kTriStateRules = {
    "[*][stressed:1][*]:0.15",            // a stressed vowel: 1.5
    "[vowel:1][voiced:1][vowel:1]:0.12",  // a voiced phone between vowels: 1.2
    "[*][vowel:1][break:1]:0.13",         // a vowel before a break, or with none after: 1.3
};

// test.v58: the "stop" collection. S1 T1 (mask 96) moves the stressed
// vowel from 1.5 to 3 over the first half of the vowel and hands 0.5 of
// that on; T1's vowel moves to half. H S1 (mask 192) lacks its second
// element.
const std::vector<std::string> kTemplates = {"%stop",
                                             "#S1 T1",
                                             "S1\t1.5\t2\tvowel:1\t0.5\t1\t0.5\tvowel:1\t0.5",
                                             "T1\t1\t0.5\tvowel:1\t0\t1\t1\tvowel:1\t0.5",
                                             "#H S1",
                                             "H\t1.1\t1\tvowel:1\t0\t1\t1\tvowel:1\t0.5",
                                             "%"};

// Every font: 5 cells of 20 ms per phone of factor 1.0, 120 Hz, the lexicon.
constexpr const char* kBaseFont =
    "Duration reference=100\nIntonation reference=120\n"
    "VM_GeneratorPHO.Quantum=50\nVM_LayerWord.Lexicon=test.lex\n";
// The settings that name the test rules and templates.
constexpr const char* kResources =
    "TIMEQUANTUM=20\nVM_DurationTristate.Compiler=test.3st\nVM_IntonationV58.Compiler=test.v58\n";

class ProsodyBed : public testing::Test {
 protected:
  ProsodyBed() {
    Log::EnableErrors();
    AddGreekTestPhones(shared_.GetPhonePool());
    inst_.write("config.txt",
                "3States.Directory=tristate\n3States.Suffix=.3st\nV58Compiler.Directory=v58\n"
                "V58Compiler.Suffix=.v58\nLexicon.Directory=lexicon\nLexicon.Suffix=.lex\n"
                "Lexicon.EForm=no\n");
    std::string rules;
    for (const std::string& rule : kTriStateRules) rules += testing_support::TextRecord(rule, 120);
    inst_.write("tristate/test.3st", rules);
    std::string templates = testing_support::TextRecord("; skipped", 400);
    for (const std::string& line : kTemplates) templates += testing_support::TextRecord(line, 400);
    inst_.write("v58/test.v58", templates);
    inst_.write("lexicon/test.lex", "ke\tconjunction\n");
    EXPECT_EQ(shared_.GetConfiguration()->Load(inst_.path("config.txt")), 1);
    EXPECT_TRUE(shared_.Get3States()->Load(&shared_));
    EXPECT_TRUE(shared_.GetV58Compiler()->Load(&shared_));
    EXPECT_TRUE(shared_.GetTreeLexicon()->Load(&shared_));
    // The load logs the template with too few elements; tests see what comes after.
    loadLines_ = testing_support::ErrorLines(inst_.path("log.txt")).size();

    composer_.shared = &shared_;
    composer_.mlds = &mlds_;
    composer_.duration = &duration_;
    composer_.intonation = &intonation_;
    composer_.onReset = [this] {
      duration_.Reset();
      intonation_.Reset();
    };
    mlds_.SetComposer(&composer_);
    duration_.SetComposer(&composer_);
    intonation_.SetComposer(&composer_);
    pool_.SetComposer(&composer_);
    for (VModule* m : std::vector<VModule*>{&syllables_, &words_, &phrases_, &sentences_,
                                            &triState_, &wordDurations_, &filter_, &v58_,
                                            &syllableContours_, &smooth_, &generator_}) {
      EXPECT_TRUE(composer_.directory.AddModule(m));
    }
  }
  ~ProsodyBed() override { mlds_.Clear(); }

  // Makes a font with that chain and these settings (after kBaseFont)
  // current and sets its chain up.
  void UseFont(const std::string& chain, const std::string& settings = kResources) {
    const std::string name = "fonts/font" + std::to_string(++fonts_) + ".vof";
    inst_.write(name, std::string(kBaseFont) + settings + "\nVModuleChain.Modules=" + chain + "\n");
    character_ = std::make_unique<VCharacter>();
    ASSERT_EQ(character_->Load(inst_.path(name)), 1);
    character_->SetComposer(&composer_);
    pool_.BuildChain(character_.get());
    composer_.character = character_.get();
    ASSERT_EQ(character_->GetChain()->SetUpAll(), 0);
  }

  // Runs the font's chain on the phone string.
  void Run(const std::string& phones) {
    composer_.text.SetText(phones);
    character_->GetChain()->Run(nullptr);
  }

  const std::string& Text() const { return composer_.text.Str(); }

  // The tokens of a layer: each its span, a blank and its features.
  std::vector<std::string> Tokens(const char* layer) const {
    std::vector<std::string> out;
    for (const _token_* t : mlds_.GetLayer(layer)->Tokens()) {
      out.push_back(std::string(t->GetStart(), t->GetEnd() + 1) + " " + t->GetString());
    }
    return out;
  }

  std::vector<float> Factors() const {
    std::vector<float> out;
    for (int i = 0; i < duration_.GetSize(); ++i) out.push_back(duration_.Get(i));
    return out;
  }

  std::vector<float> Cells() {
    const float* c = intonation_.GetCells();
    return c == nullptr ? std::vector<float>()
                        : std::vector<float>(c, c + intonation_.GetCellCount());
  }

  static void ExpectNear(const std::vector<float>& got, const std::vector<float>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], want[i], 1e-5) << i;
  }

  // The error lines of the engine log since the resources were loaded.
  std::vector<std::string> LogErrors() const {
    const std::vector<std::string> all = testing_support::ErrorLines(inst_.path("log.txt"));
    return std::vector<std::string>(all.begin() + static_cast<long>(loadLines_), all.end());
  }

  testing_support::TestInstallation inst_;
  testing_support::MessageRecorder boxes_;
  TMShared shared_;
  VMLDS mlds_;
  VDuration duration_;
  VIntonation intonation_;
  testing_support::FakeComposer composer_;
  VM_LayerSyllable syllables_;
  VM_LayerWord words_;
  VM_LayerPhrase phrases_;
  VM_LayerSentence sentences_;
  VM_DurationTriState triState_;
  VM_DurationWord wordDurations_;
  VM_DurationFilter filter_;
  VM_IntonationV58 v58_;
  VM_IntonationSyllable syllableContours_;
  VM_SmoothF0 smooth_;
  VM_GeneratorPHO generator_;
  VCharacterPool pool_;
  std::unique_ptr<VCharacter> character_;

 private:
  int fonts_ = 0;
  std::size_t loadLines_ = 0;
};

}  // namespace prosody_testing
