// A composer stand-in with everything the duration and intonation arrays
// read: an installation (for "log.txt" and "TamrinError.txt"), a phone table
// built in memory, a voice font loaded from a file, and the two arrays.
//
// Phone table (symbol phone vowel stressed):
//   a 1 1 0   A 1 1 1   m 1 0 0   t 1 0 0   . 0 0 0   _ 0 0 0
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/base/Log.h"
#include "engine/composer/VCharacter.h"
#include "engine/data/VDuration.h"
#include "engine/data/VIntonation.h"
#include "engine/shared/TMShared.h"
#include "tests/common/FakeComposer.h"
#include "tests/common/TestSupport.h"
#include "tests/engine/PhoneTableInMemory.h"

namespace testing_support {

class ArraysTestBed : public testing::Test {
 protected:
  ArraysTestBed() {
    Log::EnableErrors();
    AddTestPhones(shared_.GetPhonePool());
    AddPhone('.', "0", "0", "0");
    AddPhone('_', "0", "0", "0");

    composer_.shared = &shared_;
    composer_.duration = &duration_;
    composer_.intonation = &intonation_;
    duration_.SetComposer(&composer_);
    intonation_.SetComposer(&composer_);
    UseFont(20, 100, 120);
  }

  // Makes a new voice font with these settings the current character.
  void UseFont(const std::string& settings) {
    const std::string name = "fonts/voice" + std::to_string(++fonts_) + ".vof";
    inst_.write(name, settings);
    auto character = std::make_unique<VCharacter>();
    EXPECT_EQ(character->Load(inst_.path(name)), 1);
    character_ = std::move(character);
    composer_.character = character_.get();
  }
  void UseFont(int quantum, int durationReference, int intonationReference) {
    UseFont("TIMEQUANTUM=" + std::to_string(quantum) +
            "\nDuration reference=" + std::to_string(durationReference) +
            "\nIntonation reference=" + std::to_string(intonationReference) + "\n");
  }

  // Sets the working text; positions are taken after this.
  void SetText(const std::string& text) { composer_.text.SetText(text); }
  const char* At(int i) const { return composer_.text.GetText() + i; }

  // The error reports shown so far, without their time stamps.
  std::vector<std::string> Reported() const {
    std::vector<std::string> out;
    for (const auto& box : boxes_.messages()) {
      out.push_back(box.second.size() > 15 ? box.second.substr(15) : box.second);
    }
    return out;
  }

  // The error lines of the engine log.
  std::vector<std::string> LogErrors() const {
    std::vector<std::string> out;
    for (const std::string& line : ReadLines(inst_.path("log.txt"))) {
      if (line.rfind("*** ERROR:\t", 0) == 0) out.push_back(line);
    }
    return out;
  }

  TestInstallation inst_;
  MessageRecorder boxes_;
  TMShared shared_;
  std::unique_ptr<VCharacter> character_;
  FakeComposer composer_;
  VDuration duration_;
  VIntonation intonation_;

 private:
  void AddPhone(char symbol, const char* phone, const char* vowel, const char* stressed) {
    AddTestPhone(shared_.GetPhonePool(), symbol, phone, vowel, stressed);
  }

  int fonts_ = 0;
};

}  // namespace testing_support
