// A composer stand-in that runs the layer, duration and intonation modules
// and the phone-text generator on a phone string set directly as the
// working text. Its phone table holds the Greek symbols (built in memory);
// its shared pools hold, from a test installation, the tri-state rules
// "test.3st", the V58 templates "test.v58" and the lexicon "test.lex" (ke:
// conjunction). Each test names the chain and settings of its font.
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
#include "tests/common/ComposerBed.h"

namespace prosody_testing {

constexpr const char* kLayers = "VM_LayerSyllable;VM_LayerWord;VM_LayerPhrase;VM_LayerSentence;";
// Every font: 5 cells of 20 ms per phone of factor 1.0, 120 Hz, the lexicon.
constexpr const char* kBaseFont =
    "Duration reference=100\nIntonation reference=120\nVM_GeneratorPHO.Quantum=50\n"
    "VM_LayerWord.Lexicon=test.lex\n";
constexpr const char* kResources =
    "TIMEQUANTUM=20\nVM_DurationTristate.Compiler=test.3st\nVM_IntonationV58.Compiler=test.v58\n";

class ProsodyBed : public testing::Test {
 protected:
  ProsodyBed() {
    Log::EnableErrors();
    // Each row: the symbols, then phone, vowel, stressed, voiced, break, tristate.
    const char* columns[] = {"symbol", "phone", "vowel", "stressed", "voiced", "break", "tristate"};
    VSR_PhonePool* table = shared_.GetPhonePool();
    for (const char* column : columns) table->AddFeatureName(column);
    for (const std::string row : {"aeiou 110101", "AEIOU 111101", "ptkfTsxc 100000",
                                  "bdgvDzGjmnlr 100100", "_# 000000", "/,.;! 000010"}) {
      for (std::size_t c = 0; row[c] != ' '; ++c) {
        table->AddPhone(row[c]);
        for (int i = 0; i < 7; ++i) {
          table->SetFeature(columns[i], row.substr(i == 0 ? c : row.find(' ') + i, 1).c_str());
        }
      }
    }
    inst_.write("config.txt",
                "3States.Directory=tristate\n3States.Suffix=.3st\nV58Compiler.Directory=v58\n"
                "V58Compiler.Suffix=.v58\nLexicon.Directory=lexicon\nLexicon.Suffix=.lex\n"
                "Lexicon.EForm=no\n");
    // Stressed vowels 1.5, voiced phones between vowels 1.2, a vowel before a break (or none) 1.3.
    inst_.Scrambled("tristate/test.3st",
                    {"[*][stressed:1][*]:0.15", "[vowel:1][voiced:1][vowel:1]:0.12",
                     "[*][vowel:1][break:1]:0.13"},
                    120);
    // S1 T1 (mask 96): S1's vowel from 1.5 to 3 over its first half, 0.5 of
    // that handed on, T1's vowel to half; H S1 (mask 192) lacks an element.
    inst_.Scrambled(
        "v58/test.v58",
        {"; skipped", "%stop", "#S1 T1", "S1\t1.5\t2\tvowel:1\t0.5\t1\t0.5\tvowel:1\t0.5",
         "T1\t1\t0.5\tvowel:1\t0\t1\t1\tvowel:1\t0.5", "#H S1",
         "H\t1.1\t1\tvowel:1\t0\t1\t1\tvowel:1\t0.5", "%"},
        400);
    inst_.write("lexicon/test.lex", "ke\tconjunction\n");
    EXPECT_EQ(shared_.GetConfiguration()->Load(inst_.path("config.txt")), 1);
    EXPECT_TRUE(shared_.Get3States()->Load(&shared_) && shared_.GetV58Compiler()->Load(&shared_) &&
                shared_.GetTreeLexicon()->Load(&shared_));
    loadLines_ = inst_.Logged();  // the template short of an element

    composer_.shared = &shared_;
    composer_.mlds = &mlds_;
    composer_.duration = &duration_;
    composer_.intonation = &intonation_;
    composer_.onReset = [this] { duration_.Reset(), intonation_.Reset(); };
    for (VComponent* c : std::vector<VComponent*>{&mlds_, &duration_, &intonation_, &pool_}) {
      c->SetComposer(&composer_);
    }
    for (VModule* m : std::initializer_list<VModule*>{&syllables_, &words_, &phrases_, &sentences_,
                                                      &triState_, &wordDurations_, &filter_, &v58_,
                                                      &contours_, &smooth_, &generator_}) {
      composer_.directory.AddModule(m);
    }
  }
  ~ProsodyBed() override { mlds_.Clear(); }

  // Makes a font with that chain and these settings current.
  void UseFont(const std::string& chain, const std::string& settings = kResources) {
    const std::string name = "fonts/font" + std::to_string(++fonts_) + ".vof";
    inst_.write(name, kBaseFont + settings + "\nVModuleChain.Modules=" + chain + "\n");
    font_ = std::make_unique<VCharacter>();
    ASSERT_EQ(font_->Load(inst_.path(name)), 1);
    font_->SetComposer(&composer_);
    pool_.BuildChain(font_.get());
    composer_.character = font_.get();
    ASSERT_EQ(font_->GetChain()->SetUpAll(), 0);
  }

  void Run(const std::string& phones) {
    composer_.text.SetText(phones);
    font_->GetChain()->Run(nullptr);
  }

  // The tokens of a layer, each its span, a blank and its features, joined by " | ".
  std::string Tokens(const char* layer) const {
    std::string out;
    for (const _token_* t : mlds_.GetLayer(layer)->Tokens()) {
      out += (out.empty() ? "" : " | ") + std::string(t->GetStart(), t->GetEnd() + 1) + " " +
             t->GetString();
    }
    return out;
  }

  // The duration factors, or with cells the F0 cells, against the expected values.
  void Expect(const std::vector<float>& want, bool cells = false) {
    std::vector<float> got;
    for (int i = 0; !cells && i < duration_.GetSize(); ++i) got.push_back(duration_.Get(i));
    for (int i = 0; cells && i < intonation_.GetCellCount(); ++i) {
      got.push_back(intonation_.GetCells()[i]);
    }
    testing_support::ExpectCells(got, want);
  }

  // The error lines of the engine log since the resources were loaded.
  int Logged() const { return inst_.Logged() - loadLines_; }

  // The installation comes first and goes last: the others write to its log.
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
  VM_IntonationSyllable contours_;
  VM_SmoothF0 smooth_;
  VM_GeneratorPHO generator_;
  VCharacterPool pool_;
  std::unique_ptr<VCharacter> font_;

 private:
  int fonts_ = 0;
  int loadLines_ = 0;
};

}  // namespace prosody_testing
