// A composer stand-in owning the text buffers, run-state flags and module
// directory, handing out whatever else a test gives it (resources, character,
// pool, layers, arrays, speech buffer). Reset calls the test's hook and counts.
#pragma once

#include <functional>
#include <string>

#include "engine/composer/VComposer.h"
#include "engine/composer/VControl.h"
#include "engine/composer/VModuleDirectory.h"
#include "engine/data/VTextBuffer.h"

namespace testing_support {

class FakeComposer : public VComposer {
 public:
  FakeComposer() { directory.SetComposer(this); }

  int Reset() override {
    ++resets;
    if (onReset) onReset();
    return 1;
  }
  void SetLastError(int code) override { lastError = code; }
  std::string GetInstanceText() const override { return "1"; }

  TMShared* GetShared() override { return shared; }
  VCharacter* GetCharacter() override { return character; }
  VCharacterPool* GetCharacterPool() override { return pool; }
  VModuleDirectory* GetModuleDirectory() override { return &directory; }
  VTextBuffer* GetText() override { return &text; }
  VTextBuffer* GetFilteredText() override { return &filtered; }
  VMLDS* GetMLDS() override { return mlds; }
  VDuration* GetDuration() override { return duration; }
  VIntonation* GetIntonation() override { return intonation; }
  VSpeechBuffer* GetSpeechBuffer() override { return speech; }
  VControl* GetControl() override { return &control; }

  int resets = 0;
  int lastError = 0;
  std::function<void()> onReset;

  TMShared* shared = nullptr;
  VCharacter* character = nullptr;
  VCharacterPool* pool = nullptr;
  VMLDS* mlds = nullptr;
  VDuration* duration = nullptr;
  VIntonation* intonation = nullptr;
  VSpeechBuffer* speech = nullptr;

  VTextBuffer text;
  VTextBuffer filtered;
  VControl control;
  VModuleDirectory directory;
};

}  // namespace testing_support
