// Has the MBROLA player library render the phone text of VM_GeneratorPHO
// into a wave file, whose name the composer sets before the run (through
// the module's VOutput); it waits for the end of the file. Reaches the
// library through the table of vm_speechout_mbr.h.
#pragma once

#include <string>

#include "engine/composer/VModule.h"
#include "engine/composer/VOutput.h"
#include "modules/vm_speechout_mbr.h"

class VM_SaveWave : public VModule, public VOutput {
 public:
  static constexpr const char* kDatabaseKey = "VM_SaveWave.Database";
  // The play flags of a save: wait for the end, write a file.
  static constexpr uint32_t kSaveFlags =
      VM_SpeechOut_Mbr::kFlagSynchronous | VM_SpeechOut_Mbr::kFlagFile;

  // Loads the player library when a voice font that chains it is selected.
  VM_SaveWave();
  // Uses api in place of the library.
  explicit VM_SaveWave(const MbrPlayApi& api);
  ~VM_SaveWave() override;

  // Waits for the end of any play. True.
  bool ReleaseResources() override;
  bool Init() override;
  // Loads the library (the first time), sets the database ("VM_SaveWave.Database"), finds the
  // generator, sets the message base and logs a pending player error. True.
  bool SetUp() override;
  // Waits for the previous play, sets the database again and, when a file
  // name is set, writes the generator's phone text to it; logs a pending
  // player error. Ignores abort and pause. True.
  bool Run() override;
  bool Release() override;

  // VOutput. The wave file that the next run writes.
  void SetFileName(const std::string& name) override { fileName_ = name; }
  const std::string& GetFileName() const { return fileName_; }

 private:
  std::string DatabasePath() const;

  MbrPlayLibrary library_;
  const VM_GeneratorPHO* generator_ = nullptr;
  std::string fileName_;
  // The text of the last save.
  std::string playing_;
};
