// What the engine's components need of their composer. The composer
// (Tamrin) implements it; tests implement it with a small stand-in.
#pragma once

#include <string>

class TMShared;
class VCharacter;
class VCharacterPool;
class VControl;
class VDuration;
class VIntonation;
class VMLDS;
class VModuleDirectory;
class VSpeechBuffer;
class VTextBuffer;

class VComposer {
 public:
  virtual ~VComposer() = default;

  // Resets the per-run data (durations, intonation, speech buffer, every
  // layer); 1.
  virtual int Reset() = 0;
  // Stores the composer's last result code.
  virtual void SetLastError(int code) = 0;
  // The instance number in decimal.
  virtual std::string GetInstanceText() const = 0;

  // The process-wide shared resources (configuration and pools); may be null.
  virtual TMShared* GetShared() = 0;
  // The current voice font; null until one is selected.
  virtual VCharacter* GetCharacter() = 0;
  virtual VCharacterPool* GetCharacterPool() = 0;
  virtual VModuleDirectory* GetModuleDirectory() = 0;

  // The data of a run.
  virtual VTextBuffer* GetText() = 0;          // the working text
  virtual VTextBuffer* GetFilteredText() = 0;  // the filtered text kept for grammar tagging
  virtual VMLDS* GetMLDS() = 0;
  virtual VDuration* GetDuration() = 0;
  virtual VIntonation* GetIntonation() = 0;
  virtual VSpeechBuffer* GetSpeechBuffer() = 0;
  virtual VControl* GetControl() = 0;
};
