// The processing module: the framework's unit of work in a chain.
#pragma once

#include <atomic>
#include <string>

#include "engine/composer/VComponent.h"

class TMShared;
class VDuration;
class VLayer;
class VSR_PhonePool;

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
  // Whether a stop aborted the composer's run (false without a composer).
  bool Aborted() const;
  // The value of key in the composer's current voice font (with the font's
  // fallback to "default.vof"); "" without a composer or a font.
  std::string FontParameter(const std::string& key) const;
  // The same read as a decimal number with '.' as its point, whatever the
  // locale; 0.0 when it holds none.
  float FloatFontParameter(const std::string& key) const;
  // The shared resources; null without composer or shared resources.
  TMShared* Shared() const;
  // The shared phone table; null without composer or shared resources.
  const VSR_PhonePool* PhoneTable() const;
  // The composer's durations, prepared for this run (VDuration::Prepare);
  // null when there are none or the preparation fails.
  VDuration* PreparedDurations() const;
  // Prepares the composer's durations, then its F0 cells: the result of
  // VIntonation::Prepare, or VIntonation::kNoComposer without the arrays.
  int PrepareCells() const;
  // The composer's layer of that name; null when it has none.
  VLayer* Layer(const char* name) const;
  // Makes the layer of that name with its size hint and gives it to the
  // composer's multi-layer data structure, which owns it from then on.
  // False, with nothing made, without a composer or when the structure
  // refuses it.
  bool CreateLayer(const char* name, int sizeHint);

 private:
  std::atomic<bool> enabled_{true};
};
