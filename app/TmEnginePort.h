// The engine port over the tmengine_* programming interface: it holds the
// one engine handle of the program and turns the interface's blocks into
// strings (releasing each block with tmengine__FreeBuffer).
#pragma once

#include "app/EnginePort.h"
#include "engine/interface/tmengine.h"

class TmEnginePort : public EnginePort {
 public:
  TmEnginePort() = default;
  TmEnginePort(const TmEnginePort&) = delete;
  TmEnginePort& operator=(const TmEnginePort&) = delete;

  int LoadSharedResources() override;
  int ReleaseSharedResources() override;
  int New() override;
  int Delete() override;
  int TextToSpeech(const std::string& text, int mode) override;
  int TextToFile(const std::string& text, const std::string& fileName) override;
  int Stop() override;
  int SpeakPause() override;
  int SpeakResume() override;
  int SelectVoiceFont(const std::string& key) override;
  int ListVoiceFonts(std::string& list, int& count) override;
  int GetVoiceFontParameter(const std::string& font, const std::string& key,
                            std::string& value) override;
  int SetPitchReference(double value) override;
  int SetSpeedReference(double value) override;
  int SetVolumeReference(double value) override;
  std::string LastError() override;

 private:
  Tamrin* handle_ = nullptr;
};
