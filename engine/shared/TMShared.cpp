#include "engine/shared/TMShared.h"

#include <chrono>
#include <thread>

#include "engine/base/Log.h"
#include "engine/base/VLib.h"

TMShared::~TMShared() {
  if (marker_ != nullptr) {
    std::fclose(marker_);
    marker_ = nullptr;
  }
}

TMShared& TMShared::Instance() {
  static TMShared shared;
  return shared;
}

bool TMShared::IsLoaded() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return loaded_;
}

bool TMShared::IsInUse() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return loaded_ && !released_;
}

bool TMShared::IsMarkerOpen() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return marker_ != nullptr;
}

bool TMShared::OpenMarkerFile() {
  if (marker_ != nullptr) std::fclose(marker_);
  marker_ = std::fopen(VLib::MakePath(kMarkerName).c_str(), "w");
  return marker_ != nullptr;
}

void TMShared::PoolSteps(PoolStep (&steps)[kPoolCount]) {
  steps[0] = {"m_vsr_AC", kACFailed, &m_vsr_AC};
  steps[1] = {"m_vsr_TreeLexicon", kTreeLexiconFailed, &m_vsr_TreeLexicon};
  steps[2] = {"m_vsr_PhonePool", kPhonePoolFailed, &m_vsr_PhonePool};
  steps[3] = {"m_vsr_3States", k3StatesFailed, &m_vsr_3States};
  steps[4] = {"m_vsr_V58Compiler", kV58CompilerFailed, &m_vsr_V58Compiler};
  steps[5] = {"m_vsr_VUserLexicon", kVUserLexiconFailed, &m_vsr_VUserLexicon};
}

int TMShared::Load() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (loaded_) return kAlreadyLoaded;
  loaded_ = true;
  // Every file of the load is found from one reading of the registry.
  VLib::InstallationHold hold;
  Log::Init();
  Log::EnableErrors();
  Log::EnableWarnings();
  Log::SetSwitch1();
  Log::SetSwitch4();
  if (!OpenMarkerFile()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(kMarkerFailurePauseMs));
    return kMarkerFailed;
  }
  const std::string path = VLib::MakePath(kConfigurationName);
  if (m_s_Configuration.Load(path) < 1) {
    VLib::ReportError("Error: loading [m_s_Configuration] from [" + path + "]");
    return kConfigurationFailed;
  }
  PoolStep steps[kPoolCount];
  PoolSteps(steps);
  for (const PoolStep& step : steps) {
    if (step.pool == nullptr || step.pool->Load(this)) continue;
    VLib::ReportError(std::string("Error: loading [") + step.member + "]");
    return step.code;
  }
  return kLoaded;
}

int TMShared::Unload() {
  std::lock_guard<std::mutex> lock(mutex_);
  // An engine still reads the pools: the last one to go unloads them.
  if (engines_ > 0) {
    unloadPending_ = true;
    return 0;
  }
  UnloadNow();
  return 0;
}

void TMShared::Attach() {
  std::lock_guard<std::mutex> lock(mutex_);
  ++engines_;
}

void TMShared::Detach() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (engines_ == 0 || --engines_ > 0 || !unloadPending_) return;
  unloadPending_ = false;
  UnloadNow();
}

bool TMShared::IsUnloadPending() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return unloadPending_;
}

void TMShared::UnloadNow() {
  // An Unload before the first Load releases nothing that a Load brings.
  released_ = loaded_;
  VLib::InstallationHold hold;
  if (marker_ != nullptr) {
    std::fclose(marker_);
    marker_ = nullptr;
  }
  std::remove(VLib::MakePath(kMarkerName).c_str());
  PoolStep steps[kPoolCount];
  PoolSteps(steps);
  for (const PoolStep& step : steps) {
    if (step.pool != nullptr) step.pool->Unload();
  }
}
