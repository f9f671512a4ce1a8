#include "app/TmEnginePort.h"

namespace {

// Moves the text of an interface block into out and releases the block.
// Without a block (the call failed) nothing is released: releasing would
// empty the last-error text that the failure left.
void TakeBlock(char*& block, std::string& out) {
  out.clear();
  if (block == nullptr) return;
  out = block;
  tmengine__FreeBuffer(&block);
}

}  // namespace

int TmEnginePort::LoadSharedResources() { return tmengine__LoadSharedResources(); }

int TmEnginePort::ReleaseSharedResources() { return tmengine__ReleaseSharedResources(); }

int TmEnginePort::New() { return tmengine__New(&handle_); }

int TmEnginePort::Delete() { return tmengine__Delete(&handle_); }

int TmEnginePort::TextToSpeech(const std::string& text, int mode) {
  return tmengine__TextToSpeech(handle_, text.c_str(), mode);
}

int TmEnginePort::TextToFile(const std::string& text, const std::string& fileName) {
  return tmengine_TextToFile(handle_, text.c_str(), fileName.c_str());
}

int TmEnginePort::Stop() { return tmengine__Stop(handle_); }

int TmEnginePort::SpeakPause() { return tmengine__SpeakPause(handle_); }

int TmEnginePort::SpeakResume() { return tmengine__SpeakResume(handle_); }

int TmEnginePort::SelectVoiceFont(const std::string& key) {
  return tmengine__SelectVoiceFont(handle_, key.c_str());
}

int TmEnginePort::ListVoiceFonts(std::string& list, int& count) {
  char* block = nullptr;
  const int r = tmengine__ListVoiceFonts(handle_, &block, &count);
  TakeBlock(block, list);
  return r;
}

int TmEnginePort::GetVoiceFontParameter(const std::string& font, const std::string& key,
                                        std::string& value) {
  char* block = nullptr;
  const int r = tmengine__GetVoiceFontParameter(handle_, font.c_str(), key.c_str(), &block);
  TakeBlock(block, value);
  return r;
}

int TmEnginePort::SetPitchReference(double value) {
  return tmengine__SetPitchReference(handle_, value);
}

int TmEnginePort::SetSpeedReference(double value) {
  return tmengine__SetSpeedReference(handle_, value);
}

int TmEnginePort::SetVolumeReference(double value) {
  return tmengine__SetVolumeReference(handle_, value);
}

std::string TmEnginePort::LastError() {
  char* block = nullptr;
  std::string text;
  tmengine__GetLastError(&block);
  TakeBlock(block, text);
  return text;
}
