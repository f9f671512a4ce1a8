// The processing module: the framework's unit of work in a chain.
#pragma once

#include <atomic>
#include <string>

#include "engine/composer/VComponent.h"

class VModule : public VComponent {
 public:
  explicit VModule(const std::string& name) : VComponent(name) {}
  VModule(const VModule&) = delete;
  VModule& operator=(const VModule&) = delete;

  virtual ~VModule() = default;
  // Releases what Init created; called once when the composer finalises.
  virtual bool ReleaseResources() = 0;
  // Called once, when the module is registered.
  virtual bool Init() = 0;
  // Reads the module's keys from the current voice font.
  virtual bool SetUp() = 0;
  // Works on the composer's data; false ends the chain run.
  virtual bool Run() = 0;
  virtual bool Release() = 0;

  void SetEnabled(bool enabled) { enabled_.store(enabled, std::memory_order_relaxed); }
  bool IsEnabled() const { return enabled_.load(std::memory_order_relaxed); }
  bool RunModule() { return Run(); }

 protected:
  // The value of key in the composer's current voice font (with the font's
  // fallback to "default.vof"); "" without a composer or a font.
  std::string FontParameter(const std::string& key) const;

 private:
  std::atomic<bool> enabled_{true};
};
