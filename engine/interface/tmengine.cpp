#include "engine/interface/tmengine.h"

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <limits>
#include <mutex>
#include <string>
#include <system_error>

#include "engine/base/VStr.h"
#include "engine/composer/Tamrin.h"
#include "engine/shared/TMShared.h"
#include "platform/Codepage.h"
#include "platform/FileSystem.h"

namespace {

// The process-wide last-error text.
std::mutex& LastErrorMutex() {
  static std::mutex mutex;
  return mutex;
}

std::string& LastErrorText() {
  static std::string text;
  return text;
}

void SetLastErrorText(const std::string& text) {
  std::lock_guard<std::mutex> guard(LastErrorMutex());
  LastErrorText() = text;
}

void ClearLastError() { SetLastErrorText(std::string()); }

std::string CopyLastError() {
  std::lock_guard<std::mutex> guard(LastErrorMutex());
  return LastErrorText();
}

// Whether handle is null; then the last error says so.
bool NullHandle(const Tamrin* handle) {
  if (handle != nullptr) return false;
  SetLastErrorText("Null Tamrin handler as argument");
  return true;
}

// Whether the argument is null; then the last error names it.
bool NullArgument(const void* argument, const char* name) {
  if (argument != nullptr) return false;
  SetLastErrorText(std::string("Null ") + name + " have been passed as argument.");
  return true;
}

// The one place where text crosses between the host's UTF-8 and the
// engine's Windows-1253.
std::string ToEngineText(const char* utf8) { return platform::Utf8ToCp1253(utf8); }

void ConvertBlockToHost(char** block) {
  if (*block == nullptr) return;
  const std::string utf8 = platform::Cp1253ToUtf8(*block);
  VStr::Assign(block, utf8.c_str());
}

// A reference narrowed to single precision; values beyond its range become
// infinite, so that the range tests still see them.
float Narrow(double value) {
  if (std::isnan(value)) return std::numeric_limits<float>::quiet_NaN();
  if (value > FLT_MAX) return std::numeric_limits<float>::infinity();
  if (value < -FLT_MAX) return -std::numeric_limits<float>::infinity();
  return static_cast<float>(value);
}

// The system's text for the errno value error, as a sentence.
std::string SystemReason(int error) { return std::generic_category().message(error) + "."; }

// The last error of a failing buffer request (to a buffer or to a file).
constexpr const char* kBufferRequestFailed = "Error in buffer version of TextToSpeech conversion.";

}  // namespace

extern "C" {

int tmengine__LoadSharedResources(void) {
  ClearLastError();
  const int r = TMShared::Instance().Load();
  if (r < 0) SetLastErrorText("Error loading shared resources. Code = " + std::to_string(r));
  return r;
}

int tmengine__ReleaseSharedResources(void) {
  ClearLastError();
  const int r = TMShared::Instance().Unload();
  if (r < 0) SetLastErrorText("Error releasing shared resources of Tamrin.");
  return r;
}

int tmengine__New(Tamrin** handle) {
  ClearLastError();
  if (handle == nullptr) {
    NullHandle(nullptr);
    return TMENGINE_NULL_HANDLE;
  }
  *handle = nullptr;
  auto* composer = new Tamrin();
  composer->SetShared(&TMShared::Instance());
  const int r = composer->Init("", 1, 0);
  if (r < 0) {
    SetLastErrorText("Error initializing Tamrin object.");
    composer->Finalize();
    delete composer;
    return r;
  }
  *handle = composer;
  return r;
}

int tmengine__Delete(Tamrin** handle) {
  ClearLastError();
  if (handle == nullptr) {
    NullHandle(nullptr);
    return TMENGINE_NULL_HANDLE;
  }
  if (*handle == nullptr) return 0;
  const int r = (*handle)->Finalize();
  if (r < 0) {
    SetLastErrorText("Error finalizing the object of Tamrin.");
    return r;
  }
  delete *handle;
  *handle = nullptr;
  return r;
}

int tmengine__TextToSpeech(Tamrin* handle, const char* Text, int Mode) {
  ClearLastError();
  if (NullHandle(handle)) return TMENGINE_NULL_HANDLE;
  if (NullArgument(Text, "Text")) return TMENGINE_NULL_ARGUMENT;
  const int r = handle->Speak(ToEngineText(Text), Mode == 1);
  if (r < 0) SetLastErrorText("Error in soundboard version of TextToSpeech conversion.");
  return r;
}

int tmengine__TextToBuffer(Tamrin* handle, const char* Text, int WithHeader, char** Buffer,
                           long* BufferSize) {
  ClearLastError();
  if (NullHandle(handle)) return TMENGINE_NULL_HANDLE;
  if (NullArgument(Text, "Text") || NullArgument(Buffer, "Buffer") ||
      NullArgument(BufferSize, "BufferSize")) {
    return TMENGINE_NULL_ARGUMENT;
  }
  const int r = handle->SpeakToBuffer(ToEngineText(Text), WithHeader != 0, Buffer, BufferSize);
  if (r < 0) SetLastErrorText(kBufferRequestFailed);
  return r;
}

int tmengine__FreeBuffer(char** Buffer) {
  ClearLastError();
  if (Buffer != nullptr) VStr::Release(Buffer);
  return 0;
}

int tmengine_TextToFile(Tamrin* handle, const char* Text, const char* FileName) {
  ClearLastError();
  if (NullHandle(handle)) return TMENGINE_NULL_HANDLE;
  if (NullArgument(Text, "Text") || NullArgument(FileName, "FileName")) {
    return TMENGINE_NULL_ARGUMENT;
  }
  // The file is opened first, so that one that cannot be created costs no
  // synthesis. A file that can be positioned takes the samples as they
  // come, so that speech of any length needs no more memory than a block;
  // any other (a pipe) takes them all when the run has ended.
  platform::ReplacingFile output;
  if (!output.Open(FileName)) {
    // The sentence, then the system's reason (a missing folder, a file that
    // may not be written, a name too long).
    SetLastErrorText(std::string("Error creating ") + FileName + " output file. " +
                     SystemReason(output.Error()));
    return TMENGINE_FILE_NOT_CREATED;
  }
  std::FILE* file = output.Stream();
  bool attached = false;
  bool whole = false;
  const int r = handle->SpeakToWave(
      ToEngineText(Text), [&](VSpeechBuffer& speech) { attached = speech.AttachWave(file); },
      [&](VSpeechBuffer& speech) {
        // Speech that was cut (the WAVE size limit) or never made (no
        // voice) is not a file of the text.
        const bool complete = speech.IsComplete();
        const bool written = attached ? speech.FinishWave() : speech.WriteWave(file);
        whole = complete && written;
      });
  if (r < 0) {
    SetLastErrorText(kBufferRequestFailed);
    return r;
  }
  // A failed request leaves the earlier file as it was.
  if (!whole || !output.Commit()) {
    output.Abandon();
    SetLastErrorText(std::string("Error writting full data in ") + FileName + " output file.");
    return TMENGINE_SHORT_WRITE;
  }
  return r;
}

int tmengine__Stop(Tamrin* handle) {
  ClearLastError();
  if (NullHandle(handle)) return TMENGINE_NULL_HANDLE;
  const int r = handle->Stop();
  if (r < 0) SetLastErrorText("Error in stopping text-to-speech.");
  return r;
}

int tmengine__SpeakPause(Tamrin* handle) {
  ClearLastError();
  if (NullHandle(handle)) return TMENGINE_NULL_HANDLE;
  const int r = handle->Pause();
  if (r < 0) SetLastErrorText("Error in pausing playback.");
  return r;
}

int tmengine__SpeakResume(Tamrin* handle) {
  ClearLastError();
  if (NullHandle(handle)) return TMENGINE_NULL_HANDLE;
  const int r = handle->Resume();
  if (r < 0) SetLastErrorText("Error in resuming playback.");
  return r;
}

int tmengine__SelectVoiceFont(Tamrin* handle, const char* VoiceFont) {
  ClearLastError();
  if (NullHandle(handle)) return TMENGINE_NULL_HANDLE;
  if (NullArgument(VoiceFont, "VoiceFont")) return TMENGINE_NULL_ARGUMENT;
  const int r = handle->SetCharacter(VoiceFont);
  if (r < 0) SetLastErrorText(std::string("Error setting the VoiceFont [") + VoiceFont + "].");
  return r;
}

int tmengine__ListVoiceFonts(Tamrin* handle, char** ListVoiceFonts, int* NumberOfVoiceFonts) {
  ClearLastError();
  if (NullHandle(handle)) return TMENGINE_NULL_HANDLE;
  if (NullArgument(ListVoiceFonts, "ListVoiceFonts")) return TMENGINE_NULL_ARGUMENT;
  VStr::Release(ListVoiceFonts);
  if (NullArgument(NumberOfVoiceFonts, "NumberOfVoiceFonts")) return TMENGINE_NULL_ARGUMENT;
  std::string list;
  const int r = handle->GetCharacterList(list, *NumberOfVoiceFonts);
  if (r < 0) {
    SetLastErrorText("Error getting the characters list.");
    return r;
  }
  *ListVoiceFonts = VStr::Duplicate(list.c_str());
  return r;
}

int tmengine__GetVoiceFontParameter(Tamrin* handle, const char* VoiceFont, const char* ParameterKey,
                                    char** ParameterValue) {
  ClearLastError();
  if (NullHandle(handle)) return TMENGINE_NULL_HANDLE;
  if (NullArgument(VoiceFont, "VoiceFont") || NullArgument(ParameterKey, "ParameterKey") ||
      NullArgument(ParameterValue, "ParameterValue")) {
    return TMENGINE_NULL_ARGUMENT;
  }
  const int r = handle->GetCharacterParameter(VoiceFont, ParameterKey, ParameterValue);
  if (r < 0) {
    SetLastErrorText("Error writting to file.");
    return r;
  }
  ConvertBlockToHost(ParameterValue);
  return r;
}

int tmengine__SetPitchReference(Tamrin* handle, double PitchReference) {
  ClearLastError();
  if (NullHandle(handle)) return TMENGINE_NULL_HANDLE;
  const int r = handle->SetPitch(Narrow(PitchReference));
  if (r < 0) SetLastErrorText("PitchReference out of limits.");
  return r;
}

int tmengine__SetSpeedReference(Tamrin* handle, double SpeedReference) {
  ClearLastError();
  if (NullHandle(handle)) return TMENGINE_NULL_HANDLE;
  const int r = handle->SetSpeed(Narrow(SpeedReference));
  if (r < 0) SetLastErrorText("SpeedReference out of limits.");
  return r;
}

int tmengine__SetVolumeReference(Tamrin* handle, double VolumeReference) {
  ClearLastError();
  if (NullHandle(handle)) return TMENGINE_NULL_HANDLE;
  const int r = handle->SetVolume(Narrow(VolumeReference));
  if (r == TMENGINE_NO_PLAYER_OUTPUT) {
    SetLastErrorText("VolumeReference error: the selected voice font cannot change the volume.");
  } else if (r < 0) {
    SetLastErrorText("VolumeReference error.");
  }
  return r;
}

int tmengine__GetLastError(char** LastError) {
  if (NullArgument(LastError, "LastError")) return TMENGINE_NULL_ARGUMENT;
  const std::string text = CopyLastError();
  VStr::Assign(LastError, text.c_str());
  return 0;
}

}  // extern "C"
