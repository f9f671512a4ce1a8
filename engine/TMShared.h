// The process-wide holder of the engine configuration "config.txt" and the
// shared resource pools. One instance per process; it loads once.
#pragma once

#include <cstdio>
#include <mutex>

#include "engine/VConfiguration.h"
#include "engine/VSR_PhonePool.h"

class TMShared {
 public:
  // Results of Load.
  static constexpr int kLoaded = 0;
  static constexpr int kAlreadyLoaded = 1020;
  static constexpr int kMarkerFailed = -1020;
  static constexpr int kConfigurationFailed = -1022;
  static constexpr int kPhonePoolFailed = -1040;

  TMShared() = default;
  TMShared(const TMShared&) = delete;
  TMShared& operator=(const TMShared&) = delete;
  // Never ends the process; closes the marker if it is still open.
  virtual ~TMShared();

  // Loads the configuration and the pools, once per process: 0, 1020 when
  // loaded before (whatever the outcome then), or a negative code.
  int Load();
  // Closes and removes the marker and unloads the pools; 0.
  int Unload();
  // The state that a composer checks at its initialisation; 0.
  int CheckState() const { return 0; }
  bool IsLoaded() const;

  // The engine configuration "config.txt".
  VConfiguration* GetConfiguration() { return &m_s_Configuration; }
  VSR_PhonePool* GetPhonePool() { return &m_vsr_PhonePool; }

  // Opens the marker "_l1" in the installation directory; a step of Load.
  bool OpenMarkerFile();

  // The one instance of the process.
  static TMShared& Instance();

 private:
  VConfiguration m_s_Configuration;
  VSR_PhonePool m_vsr_PhonePool;
  std::FILE* marker_ = nullptr;
  bool loaded_ = false;
  mutable std::mutex mutex_;
};
