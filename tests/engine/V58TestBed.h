// A set-up for the phrase templates: an installation, a phone table built in
// memory, template files written as scrambled records, and composers that
// each own a phone string with its "Phrase", "Word" and "Syllable" layers
// (built the way the layer modules build them) and prepared duration and
// intonation arrays.
//
// Phone table (symbol phone vowel stressed):
//   a 1 1 0   A 1 1 1   m 1 0 0   t 1 0 0
//   _ . , ; ! /  0 0 0 (the last five close a phrase)
// With TIMEQUANTUM 20 and "Duration reference" 100 every phone has 5 cells.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/base/Log.h"
#include "engine/composer/VCharacter.h"
#include "engine/data/VDuration.h"
#include "engine/data/VIntonation.h"
#include "engine/data/VLayer.h"
#include "engine/data/VMLDS.h"
#include "engine/data/_token_.h"
#include "engine/shared/TMShared.h"
#include "tests/common/FakeComposer.h"
#include "tests/common/TestSupport.h"
#include "tests/engine/PhoneTableInMemory.h"
#include "tests/engine/ScrambledRecords.h"

namespace testing_support {

// One composer's data for the analysis: phone string, layers and arrays.
class V58Composer {
 public:
  V58Composer(TMShared* shared, const std::string& fontPath) {
    composer.shared = shared;
    composer.duration = &duration;
    composer.intonation = &intonation;
    composer.mlds = &mlds;
    mlds.SetComposer(&composer);
    duration.SetComposer(&composer);
    intonation.SetComposer(&composer);
    EXPECT_EQ(character.Load(fontPath), 1);
    composer.character = &character;
    int phraseHint = 30;
    int wordHint = 150;
    int syllableHint = 200;
    phrases = new VLayer("Phrase", &phraseHint);
    words = new VLayer("Word", &wordHint);
    syllables = new VLayer("Syllable", &syllableHint);
    mlds.AddLayer(phrases);
    mlds.AddLayer(words);
    mlds.AddLayer(syllables);
  }
  V58Composer(const V58Composer&) = delete;
  V58Composer& operator=(const V58Composer&) = delete;
  ~V58Composer() { mlds.Clear(); }

  // Makes text the phone string, refills the layers and builds the arrays
  // (every cell 1.0); gives the result of the intonation's preparation.
  int Build(const std::string& text) {
    BuildLayers(text);
    duration.Reset();
    intonation.Reset();
    EXPECT_EQ(duration.Prepare(), 1);
    return intonation.Prepare();
  }

  // Makes text the phone string and refills the layers only.
  void BuildLayers(const std::string& text) {
    composer.text.SetText(text);
    BuildSyllables();
    BuildWords();
    BuildPhrases();
  }

  std::vector<float> Cells() {
    const float* c = intonation.GetCells();
    return c == nullptr ? std::vector<float>()
                        : std::vector<float>(c, c + intonation.GetCellCount());
  }

  // The cells of character i of the phone string.
  std::vector<float> CellsOf(int i) {
    int n = 0;
    const float* c = intonation.CellsAt(composer.text.GetText() + i, &n);
    return c == nullptr ? std::vector<float>() : std::vector<float>(c, c + n);
  }

  // The syllables' texts.
  std::vector<std::string> SyllableTexts() const {
    std::vector<std::string> out;
    const _token_* t = syllables->First();
    for (int i = 0; i < syllables->Size(); ++i, t = t->GetNext()) {
      out.emplace_back(t->GetStart(), t->GetEnd() + 1);
    }
    return out;
  }

  char* At(int i) { return composer.text.GetData() + i; }

  FakeComposer composer;
  VDuration duration;
  VIntonation intonation;
  VMLDS mlds;
  VCharacter character;
  VLayer* phrases = nullptr;
  VLayer* words = nullptr;
  VLayer* syllables = nullptr;

 private:
  bool Is(char c, const char* feature) const {
    return composer.shared->GetPhonePool()->getPhoneFeature(c, feature);
  }
  static bool IsBreak(char c) { return std::string(".,;!/").find(c) != std::string::npos; }
  int Length() { return composer.text.GetLength(); }

  // Onset consonants and one vowel per syllable; consonants before the next
  // character that is not a phone join the last syllable.
  void BuildSyllables() {
    syllables->Reset();
    bool open = false;
    char* runStart = At(0);
    char* lastSyllableStart = At(0);
    for (int i = 0; i < Length(); ++i) {
      char* c = At(i);
      if (Is(*c, "phone")) {
        if (!open) runStart = c;
        open = true;
        if (Is(*c, "vowel")) {
          _token_ t(runStart, c);
          if (Is(*c, "stressed")) t.SetFlag("stressed");
          syllables->Add(t);
          lastSyllableStart = runStart;
          open = false;
        }
      } else if (open) {
        if (syllables->SetEndAt(lastSyllableStart, c - 1) < 0) syllables->Add(_token_(runStart, c));
        open = false;
      }
    }
  }

  // One word per run of phones closed by a character that is not a phone.
  void BuildWords() {
    words->Reset();
    int start = -1;
    for (int i = 0; i < Length(); ++i) {
      if (Is(*At(i), "phone")) {
        if (start < 0) start = i;
      } else if (start >= 0) {
        words->Add(_token_(At(start), At(i - 1)));
        start = -1;
      }
    }
  }

  // One phrase from its first phone to the last phone before a break, typed
  // by the break.
  void BuildPhrases() {
    phrases->Reset();
    int start = -1;
    int lastPhone = -1;
    for (int i = 0; i < Length(); ++i) {
      const char c = *At(i);
      if (Is(c, "phone")) {
        if (start < 0) start = i;
        lastPhone = i;
      } else if (start >= 0 && IsBreak(c)) {
        _token_ t(At(start), At(lastPhone));
        t.Set("type", c == '.'   ? "stop"
                      : c == ';' ? "question"
                      : c == '!' ? "exclamation"
                                 : "comma");
        phrases->Add(t);
        start = -1;
      }
    }
  }
};

class V58TestBed : public testing::Test {
 protected:
  V58TestBed() {
    Log::EnableErrors();
    AddTestPhones(shared_.GetPhonePool());
    for (const char c : std::string("_.,;!/")) AddPhone(c, "0", "0", "0");
    inst_.write(kFont, "TIMEQUANTUM=20\nDuration reference=100\nIntonation reference=120\n");
  }

  std::unique_ptr<V58Composer> MakeComposer() {
    return std::make_unique<V58Composer>(&shared_, inst_.path(kFont));
  }

  // Writes a template file: a first record that the reader passes over,
  // then one record per line. Gives its path.
  std::string WriteTemplates(const std::string& name, const std::vector<std::string>& lines) {
    std::string content = TextRecord("; templates for the tests", 400);
    for (const std::string& line : lines) content += TextRecord(line, 400);
    inst_.write("v58/" + name, content);
    return inst_.path("v58/" + name);
  }

  // The error lines of the engine log.
  std::vector<std::string> LogErrors() const {
    std::vector<std::string> out;
    for (const std::string& line : ReadLines(inst_.path("log.txt"))) {
      if (line.rfind("*** ERROR:\t", 0) == 0) out.push_back(line.substr(11));
    }
    return out;
  }

  // The error reports shown so far, without their time stamps.
  std::vector<std::string> Reported() const {
    std::vector<std::string> out;
    for (const auto& box : boxes_.messages()) {
      out.push_back(box.second.size() > 15 ? box.second.substr(15) : box.second);
    }
    return out;
  }

  static constexpr const char* kFont = "fonts/v58.vof";

  TestInstallation inst_;
  MessageRecorder boxes_;
  TMShared shared_;

 private:
  void AddPhone(char symbol, const char* phone, const char* vowel, const char* stressed) {
    AddTestPhone(shared_.GetPhonePool(), symbol, phone, vowel, stressed);
  }
};

}  // namespace testing_support
