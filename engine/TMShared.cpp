#include "engine/TMShared.h"

#include <chrono>
#include <thread>

#include "engine/Log.h"
#include "engine/VLib.h"

namespace {
constexpr const char* kMarkerName = "_l1";
constexpr const char* kConfigurationName = "config.txt";
// The pause after a marker that cannot be created.
constexpr auto kMarkerRetryPause = std::chrono::milliseconds(3000);
}  // namespace

TMShared::~TMShared() {
  if (marker_ != nullptr) std::fclose(marker_);
}

TMShared& TMShared::Instance() {
  static TMShared shared;
  return shared;
}

bool TMShared::IsLoaded() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return loaded_;
}

bool TMShared::OpenMarkerFile() {
  marker_ = std::fopen(VLib::MakePath(kMarkerName).c_str(), "w");
  return marker_ != nullptr;
}

int TMShared::Load() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (loaded_) return kAlreadyLoaded;
  loaded_ = true;
  Log::Init();
  Log::EnableErrors();
  Log::EnableWarnings();
  Log::SetSwitch1();
  Log::SetSwitch4();
  if (!OpenMarkerFile()) {
    std::this_thread::sleep_for(kMarkerRetryPause);
    return kMarkerFailed;
  }
  const std::string path = VLib::MakePath(kConfigurationName);
  if (m_s_Configuration.Load(path) < 1) {
    VLib::ReportError("Error: loading [m_s_Configuration] from [" + path + "]");
    return kConfigurationFailed;
  }
  if (!m_vsr_PhonePool.Load(this)) {
    VLib::ReportError("Error: loading [m_vsr_PhonePool]");
    return kPhonePoolFailed;
  }
  return kLoaded;
}

int TMShared::Unload() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (marker_ != nullptr) {
    std::fclose(marker_);
    marker_ = nullptr;
  }
  std::remove(VLib::MakePath(kMarkerName).c_str());
  m_vsr_PhonePool.Unload();
  return 0;
}
