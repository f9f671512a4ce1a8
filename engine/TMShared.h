// The process-wide holder of the engine configuration and the shared
// resource pools.
#pragma once

#include "engine/VConfiguration.h"
#include "engine/VSR_PhonePool.h"

class TMShared {
 public:
  TMShared() = default;
  TMShared(const TMShared&) = delete;
  TMShared& operator=(const TMShared&) = delete;
  virtual ~TMShared() = default;

  // The engine configuration "config.txt".
  VConfiguration* GetConfiguration() { return &configuration_; }
  VSR_PhonePool* GetPhonePool() { return &phones_; }

 private:
  VConfiguration configuration_;
  VSR_PhonePool phones_;
};
