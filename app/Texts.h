// The program's own texts: the string table (tooltips), the labels of the
// main dialog in both interface languages, and the messages that the dialog
// shows. All texts are UTF-8.
#pragma once

#include <string>

// The interface language of the whole program: true for Greek. Greek at
// start; the language dialog sets it; every window reads it when it fills
// its texts.
extern bool g_bGreek;

namespace texts {

constexpr const char* kAppName = "ZORVALIS Varudu Zovivari";
constexpr const char* kErrorCaption = "ZORVALIS Varudu Zovivari: Error!";
constexpr const char* kLanguageCaption = "Choose language...";
constexpr const char* kFileSaved = "File saved!";

// Prefixes of the boxes that report a failed call by its code: the prefix
// followed by the code in decimal.
constexpr const char* kTextToFileFailed = "Error:tmengine_TextToFile:";
constexpr const char* kSelectVoiceFontFailed = "Error:tmengine__SelectVoiceFont:";
constexpr const char* kSpeakResumeFailed = "Error:tmengine__SpeakResume:";
constexpr const char* kSpeakPauseFailed = "Error:tmengine__SpeakPause:";
constexpr const char* kSetPitchFailed = "Error:tmengine__SetPitchReference:";
constexpr const char* kSetSpeedFailed = "Error:tmengine__SetSpeedReference:";
constexpr const char* kSetVolumeFailed = "Error:tmengine__SetVolumeReference:";

// The string table: the tooltips of the picture buttons (1 Speak, 2 Stop,
// 4 Save, 5 About, 6 Report, 7 Exit, 8 Greek, 9 English). An id without a
// string gives the empty text.
std::string String(int id);

// The labels of the main dialog in one interface language.
struct DialogLabels {
  const char* volume;
  const char* pitch;
  const char* speed;
  const char* character;
  const char* about;
  const char* exit;
  const char* reset;
  const char* text;  // the text box's first text
};
const DialogLabels& Labels(bool greek);

// The prompt of Speak with an empty text box.
const char* EmptyTextPrompt(bool greek);
// The refusal of a save to an mp3 file.
const char* Mp3Refusal(bool greek);
// The warning shown before a character change.
const char* CharacterWarning(bool greek);
// The box shown when no program of the desktop opens a link: the sentence,
// then the address on a line of its own.
std::string NoLinkHandler(bool greek, const std::string& url);
// The box of a failed start: what failed, then the engine's own text.
std::string StartFailed(bool greek, const std::string& error);

}  // namespace texts
