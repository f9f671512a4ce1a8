// A composer stand-in with what the chain's components read: a phone table in
// memory, a voice font file, the duration and intonation arrays, the phrase,
// word and syllable layers (built as the layer modules build them) and a
// speech buffer; no stop request is pending. Phone table (symbols: phone,
// vowel, stressed, voiced, break, tristate):
//   aeiou: 1 1 0 1 0 1   AEIOU: 1 1 1 1 0 1   ptkfTsxc: 1 0 0 0 0 0
//   bdgvDzGjmnlr: 1 0 0 1 0 0   _#: all 0   /,.;!: break 1 (they close a phrase)
// With the bed's font every phone of factor 1.0 lasts 100 ms: 5 cells.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/base/Log.h"
#include "engine/composer/VCharacter.h"
#include "engine/data/VDuration.h"
#include "engine/data/VIntonation.h"
#include "engine/data/VLayer.h"
#include "engine/data/VMLDS.h"
#include "engine/data/VSpeechBuffer.h"
#include "engine/data/_token_.h"
#include "engine/shared/TMShared.h"
#include "tests/common/FakeComposer.h"
#include "tests/common/Installation.h"

namespace testing_support {

constexpr const char* kBedFont =
    "TIMEQUANTUM=20\nDuration reference=100\nIntonation reference=120\n"
    "VM_GeneratorPHO.Quantum=50\nSpeechBuffer.InitAllocation=16\nSpeechBuffer.SampleRate=22050\n"
    "VM_Mbrola.Database=voices/test.voice\nVM_Mbrola.Quantum=25\n";

// F0 cells: n of one value, runs joined, and a comparison within float rounding.
using Cells = std::vector<float>;
inline Cells Repeat(float v, int n = 5) { return Cells(static_cast<size_t>(n), v); }
inline Cells Join(std::initializer_list<Cells> parts) {
  Cells out;
  for (const Cells& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}
inline void ExpectCells(const Cells& actual, const Cells& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (size_t i = 0; i < actual.size(); ++i) EXPECT_NEAR(actual[i], expected[i], 1e-5) << i;
}

inline void AddBedPhones(VSR_PhonePool* table) {
  const char* columns[] = {"symbol", "phone", "vowel", "stressed", "voiced", "break", "tristate"};
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
}

// One composer's data; a test may make several that share the resources.
class BedComposer {
 public:
  BedComposer(TMShared* shared, const std::string& fontPath) {
    composer.shared = shared;
    composer.duration = &duration;
    composer.intonation = &intonation;
    composer.speech = &speech;
    composer.mlds = &mlds;
    for (VComponent* c :
         std::initializer_list<VComponent*>{&mlds, &duration, &intonation, &speech}) {
      c->SetComposer(&composer);
    }
    UseFont(fontPath);
    speech.Init();
    using Layer = std::pair<VLayer**, const char*>;
    for (const Layer& l :
         {Layer{&phrases, "Phrase"}, Layer{&words, "Word"}, Layer{&syllables, "Syllable"}}) {
      int hint = 8;
      *l.first = new VLayer(l.second, &hint);
      mlds.AddLayer(*l.first);
    }
  }
  ~BedComposer() { mlds.Clear(); }

  void UseFont(const std::string& fontPath) {
    character = std::make_unique<VCharacter>();
    EXPECT_EQ(character->Load(fontPath), 1);
    composer.character = character.get();
  }

  // A new run: the phone string, its layers, the durations (factor 1.0 unless
  // given) and the cells (all 1.0); the intonation's preparation result.
  int Build(const std::string& text, const std::vector<float>& factors = {}) {
    duration.Reset();
    intonation.Reset();
    speech.Reset();
    composer.text.SetText(text);
    BuildLayers();
    if (duration.Prepare() == 1) {
      for (size_t i = 0; i < factors.size(); ++i) duration.Set(static_cast<int>(i), factors[i]);
    }
    return intonation.Prepare();
  }

  char* At(int i) { return composer.text.GetData() + i; }
  std::vector<float> Cells() {
    return std::vector<float>(intonation.GetCells(),
                              intonation.GetCells() + intonation.GetCellCount());
  }
  // The "phrase" mark of every syllable, "" for none.
  std::vector<std::string> Marks() const {
    std::vector<std::string> out;
    const _token_* t = syllables->First();
    for (int i = 0; i < syllables->Size(); ++i, t = t->GetNext()) {
      std::string value;
      out.push_back(t->Get("phrase", value) ? value : "");
    }
    return out;
  }

  FakeComposer composer;
  VDuration duration;
  VIntonation intonation;
  VSpeechBuffer speech;
  VMLDS mlds;
  std::unique_ptr<VCharacter> character;
  VLayer* phrases = nullptr;
  VLayer* words = nullptr;
  VLayer* syllables = nullptr;

 private:
  bool Is(char c, const char* feature) const {
    return composer.shared->GetPhonePool()->getPhoneFeature(c, feature);
  }

  // Syllables: onset consonants and one vowel; consonants before the next
  // character that is not a phone join the last syllable. Words: runs of
  // phones. Phrases: from a first phone to the last phone before a break,
  // typed by the break.
  void BuildLayers() {
    for (VLayer* layer : {phrases, words, syllables}) layer->Reset();
    const std::string text = composer.text.Str();
    int run = -1, syllable = -1, word = -1, phrase = -1, lastPhone = -1;
    for (int i = 0; i <= static_cast<int>(text.size()); ++i) {
      const char c = i < static_cast<int>(text.size()) ? text[static_cast<size_t>(i)] : '\0';
      if (c != '\0' && Is(c, "phone")) {
        if (run < 0) run = i;
        if (word < 0) word = i;
        if (phrase < 0) phrase = i;
        lastPhone = i;
        if (Is(c, "vowel")) {
          _token_ t(At(run), At(i));
          if (Is(c, "stressed")) t.SetFlag("stressed");
          syllables->Add(t);
          syllable = run;
          run = -1;
        }
        continue;
      }
      if (run >= 0 && (syllable < 0 || syllables->SetEndAt(At(syllable), At(i - 1)) < 0)) {
        syllables->Add(_token_(At(run), At(i - 1)));
      }
      run = -1;
      if (word >= 0) words->Add(_token_(At(word), At(i - 1)));
      word = -1;
      if (phrase >= 0 && c != '\0' && std::string(".,;!/").find(c) != std::string::npos) {
        _token_ t(At(phrase), At(lastPhone));
        t.Set("type", c == '.'   ? "stop"
                      : c == ';' ? "question"
                      : c == '!' ? "exclamation"
                                 : "comma");
        phrases->Add(t);
        phrase = -1;
      }
    }
  }
};

class ComposerBed : public testing::Test {
 protected:
  ComposerBed() {
    Log::EnableErrors();
    AddBedPhones(shared_.GetPhonePool());
    inst_.write("fonts/bed.vof", kBedFont);
    bed_ = MakeComposer();
  }

  // Makes a voice font of these settings (before the bed's font) the bed's character.
  void UseFont(const std::string& settings) {
    const std::string name = "fonts/font" + std::to_string(++fonts_) + ".vof";
    inst_.write(name, settings + kBedFont);
    bed_->UseFont(inst_.path(name));
  }
  std::unique_ptr<BedComposer> MakeComposer() {
    return std::make_unique<BedComposer>(&shared_, inst_.path("fonts/bed.vof"));
  }

  Installation inst_;
  MessageRecorder boxes_;
  TMShared shared_;
  std::unique_ptr<BedComposer> bed_;

 private:
  int fonts_ = 0;
};

}  // namespace testing_support
