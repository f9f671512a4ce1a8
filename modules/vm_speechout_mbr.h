// Hands the phone text of VM_GeneratorPHO to the MBROLA player library
// "bin/mbrplay.so", which synthesises it and plays it on the sound card
// itself. The composer switches the module on for the playback method
// "mbrola" and stops, pauses, resumes it and sets its volume through its
// VOutput.
//
// The module reaches the library only through a table of its seven entry
// points (MbrPlayApi), filled from the loaded library; a test may hand the
// module a table of its own. VM_SaveWave (vm_savewavembr.h) uses the same
// table.
#pragma once

#include <cstdint>
#include <string>

#include "engine/composer/VModule.h"
#include "engine/composer/VOutput.h"
#include "platform/mbrplay/mbrplay.h"

class VM_GeneratorPHO;

// The entry points of the player library.
struct MbrPlayApi {
  static constexpr int kCount = 7;
  // The library, relative to the installation directory.
  static constexpr const char* kLibraryPath = "bin/mbrplay.so";
  static constexpr const char* kLibraryName = "mbrplay.so";
  static const char* const kNames[kCount];

  decltype(&::MBR_SetDatabase) MBR_SetDatabase = nullptr;
  decltype(&::MBR_SetCallbackMsgBase) MBR_SetCallbackMsgBase = nullptr;
  decltype(&::MBR_Play) MBR_Play = nullptr;
  decltype(&::MBR_WaitForEnd) MBR_WaitForEnd = nullptr;
  decltype(&::MBR_Stop) MBR_Stop = nullptr;
  decltype(&::MBR_SetVolumeRatio) MBR_SetVolumeRatio = nullptr;
  decltype(&::MBR_LastError) MBR_LastError = nullptr;

  bool IsComplete() const;
};

// The player library of one module: the given table, or the loaded library.
class MbrPlayLibrary {
 public:
  MbrPlayLibrary() = default;
  explicit MbrPlayLibrary(const MbrPlayApi& api) : api_(api), given_(true) {}
  ~MbrPlayLibrary() { Unload(); }
  MbrPlayLibrary(const MbrPlayLibrary&) = delete;
  MbrPlayLibrary& operator=(const MbrPlayLibrary&) = delete;

  // Loads "bin/mbrplay.so" of the installation unless a table was given or
  // the library is loaded already.
  // False, with the engine log's "*** FAIL TO LOAD MODULE [ mbrplay.so ]
  // ***" or the error report "MBROLA: Unable to locate dll function", when
  // it cannot be loaded or lacks an entry point (the table stays empty).
  bool Load();
  void Unload();
  const MbrPlayApi& api() const { return api_; }

  // The calls the modules make; each does nothing without its entry point.
  void SetDatabase(const std::string& path) const;
  void SetCallbackMsgBase(int base) const;
  void Play(const char* text, uint32_t flags, const char* file, MBR_Callback callback) const;
  void WaitForEnd() const;
  void Stop() const;
  void SetVolumeRatio(float ratio) const;
  // An error pending in the player goes to the engine log: "*** ERROR:\t"
  // "MBROLA " and the player's text (also into *why when given). The
  // pending code, 0 when none.
  int CheckError(std::string* why = nullptr) const;

 private:
  void* handle_ = nullptr;
  MbrPlayApi api_;
  bool given_ = false;
};

class VM_SpeechOut_Mbr : public VModule, public VOutput {
 public:
  // Voice-font keys.
  static constexpr const char* kDatabaseKey = "VM_SpeechOut_Mbr.Database";
  static constexpr const char* kOutputToFileKey = "VM_SpeechOut_Mbr.OutputToFile";
  static constexpr const char* kOutputToBoardKey = "VM_SpeechOut_Mbr.OutputToBoard";
  static constexpr const char* kOutputToBufferKey = "VM_SpeechOut_Mbr.OutputToBuffer";
  static constexpr const char* kOutputWaveKey = "VM_SpeechOut_Mbr.OutputWave";
  static constexpr const char* kSynchronousKey = "VM_SpeechOut_Mbr.Synchronous";
  static constexpr const char* kCallback1Key = "VM_SpeechOut_Mbr.Callback1";
  static constexpr const char* kCallback2Key = "VM_SpeechOut_Mbr.Callback2";
  // Play-flag bits.
  static constexpr uint32_t kFlagSynchronous = 0x40;
  static constexpr uint32_t kFlagFile = 0x800;
  static constexpr uint32_t kFlagNoOutput = 0x10000;
  static constexpr uint32_t kFlagCallback1 = 0x91;
  static constexpr uint32_t kFlagCallback2 = 0x0A;
  // The message base given to the player.
  static constexpr int kMessageBase = 9191;

  // Loads the player library when a voice font that chains it is selected.
  VM_SpeechOut_Mbr();
  // Uses api in place of the library.
  explicit VM_SpeechOut_Mbr(const MbrPlayApi& api);
  // Stops and waits for a play under way before the library goes.
  ~VM_SpeechOut_Mbr() override;

  // Stops the play under way and waits for its end. True.
  bool ReleaseResources() override;
  bool Init() override;
  // Loads the library (the first time), sets the database
  // ("VM_SpeechOut_Mbr.Database"), reads the seven yes/no
  // keys, finds the generator, sets the message base, logs a pending
  // player error and marks the engine stopped (which clears a pause). True.
  bool SetUp() override;
  // Waits for the previous play, returns on an abort, waits while paused,
  // returns on an abort, plays the generator's phone text and logs a
  // pending player error; a player without a sound card is reported once
  // ("Error: the sound output could not be opened: " and the player's
  // text). A stop or pause that arrived while the play started stops it
  // (a pause then holds the pass and plays it again once resumed). With
  // Synchronous, returns when the play has ended. True.
  bool Run() override;
  bool Release() override;

  // A null text (resume) marks the engine playing (SetPlaying). A text is
  // played as Run plays it (StartPlay), without the looks at the stop and
  // pause requests. 0.
  virtual int Play(const char* text);
  // VOutput. Ends the current play; 0.
  int Stop() override;
  // Play with no text: marks the engine playing; 0.
  int Resume() override { return Play(nullptr); }
  // Sets the player's volume ratio; 0.
  int SetVolume(float ratio) override;

  // The play flags of the present keys.
  uint32_t PlayFlags() const;
  // The callback given to the player: does nothing, 0.
  static int PlayCallback(uint32_t message, uint32_t wparam, int32_t lparam);

 private:
  // Marks the engine playing (a pause requested meanwhile stays) and starts
  // a play of a copy of text that the module keeps until the play has
  // ended; returns once the play has started, also with Synchronous.
  void StartPlay(const char* text);

  MbrPlayLibrary library_;
  const VM_GeneratorPHO* generator_ = nullptr;
  bool outputToFile_ = false;
  bool outputToBoard_ = false;
  bool outputToBuffer_ = false;
  bool outputWave_ = false;
  bool synchronous_ = false;
  bool callback1_ = false;
  bool callback2_ = false;
  // The text of the play under way; replaced only after that play ended.
  std::string playing_;
};
