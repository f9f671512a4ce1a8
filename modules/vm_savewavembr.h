// Has the MBROLA player library render the phone text into a wave file.
#pragma once

#include <string>

#include "engine/composer/VModule.h"

class VM_SaveWave : public VModule {
 public:
  VM_SaveWave();

  bool ReleaseResources() override;
  bool Init() override;
  bool SetUp() override;
  bool Run() override;
  bool Release() override;

  // The wave file that the next run writes.
  void SetFileName(const std::string& name) { fileName_ = name; }
  const std::string& GetFileName() const { return fileName_; }

 private:
  std::string fileName_;
};
