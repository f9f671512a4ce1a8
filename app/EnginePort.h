// The dialog's one way to the speech engine: the tmengine_* calls over the
// one engine handle that the port holds. Texts are UTF-8. Every call returns
// the interface's result code (0 success, negative an error, positive a
// warning).
#pragma once

#include <string>

class EnginePort {
 public:
  virtual ~EnginePort() = default;

  virtual int LoadSharedResources() = 0;
  virtual int ReleaseSharedResources() = 0;
  // Creates the engine that the port holds from then on.
  virtual int New() = 0;
  // Deletes the engine that the port holds.
  virtual int Delete() = 0;
  // mode 0: asynchronous (returns once the speech thread has started).
  virtual int TextToSpeech(const std::string& text, int mode) = 0;
  virtual int TextToFile(const std::string& text, const std::string& fileName) = 0;
  virtual int Stop() = 0;
  virtual int SpeakPause() = 0;
  virtual int SpeakResume() = 0;
  virtual int SelectVoiceFont(const std::string& key) = 0;
  // list: every voice-font key followed by ';'; count: their number.
  virtual int ListVoiceFonts(std::string& list, int& count) = 0;
  virtual int GetVoiceFontParameter(const std::string& font, const std::string& key,
                                    std::string& value) = 0;
  virtual int SetPitchReference(double value) = 0;
  virtual int SetSpeedReference(double value) = 0;
  virtual int SetVolumeReference(double value) = 0;
  // The interface's last-error text.
  virtual std::string LastError() = 0;
};
