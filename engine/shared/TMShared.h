// The process-wide holder of the engine configuration "config.txt" and the
// shared resource pools: letter-conversion rule collections, tree lexicons,
// the phone table, tri-state duration rules, V58 prosodic templates and user
// lexicons. The process uses one instance (Instance()); others may be made,
// for instance by tests. Every composer reaches the configuration and the
// pools through it.
#pragma once

#include <cstdio>
#include <mutex>

#include "engine/base/VConfiguration.h"
#include "engine/composer/VCharacterPool.h"
#include "engine/shared/VSR_3States.h"
#include "engine/shared/VSR_AC.h"
#include "engine/shared/VSR_CharacterPool.h"
#include "engine/shared/VSR_PhonePool.h"
#include "engine/shared/VSR_TreeLexicon.h"
#include "engine/shared/VSR_V58Compiler.h"
#include "engine/shared/VSR_VUserLexicon.h"

class TMShared {
 public:
  // Results of Load.
  static constexpr int kLoaded = 0;
  static constexpr int kAlreadyLoaded = 1020;
  static constexpr int kMarkerFailed = -1020;
  static constexpr int kConfigurationFailed = -1022;
  static constexpr int kACFailed = -1030;
  static constexpr int kTreeLexiconFailed = -1035;
  static constexpr int kPhonePoolFailed = -1040;
  static constexpr int k3StatesFailed = -1045;
  static constexpr int kV58CompilerFailed = -1050;
  static constexpr int kVUserLexiconFailed = -1055;

  // The marker file in the installation directory, open while the shared
  // resources are loaded.
  static constexpr const char* kMarkerName = "_l1";
  static constexpr const char* kConfigurationName = "config.txt";
  // The pause after a marker that cannot be created, in milliseconds.
  static constexpr int kMarkerFailurePauseMs = 3000;

  TMShared() = default;
  TMShared(const TMShared&) = delete;
  TMShared& operator=(const TMShared&) = delete;
  // Closes the marker if it is still open. Never ends the process and
  // releases nothing else: the pools' items are released by Unload (a pool
  // deletes what an Unload has not).
  virtual ~TMShared();

  // Loads the shared resources, once per object:
  //  1. an object that has loaded before gives 1020 and does nothing. This
  //     holds whatever the first load's outcome was: after a failed first
  //     load (a negative result) every later Load gives 1020 too, and the
  //     pools loaded before the failure stay as they are. A host must treat
  //     a negative result of its first Load as final.
  //  2. restarts the engine log "log.txt" and switches on the log switches;
  //  3. creates and holds open the marker "_l1" in the installation
  //     directory; when it cannot be created: a pause of 3 seconds and -1020
  //     (nothing else reported);
  //  4. loads "config.txt" of the installation directory: -1022 when it
  //     cannot be read;
  //  5. loads the pools in the order AC, TreeLexicon, PhonePool, 3States,
  //     V58Compiler, VUserLexicon; the first that fails is reported as
  //     "Error: loading [m_vsr_...]" and gives its code (-1030, -1035, -1040,
  //     -1045, -1050, -1055), the pools after it left unloaded.
  // 0 when everything loaded.
  int Load();

  // Closes the marker (once: a second Unload finds it closed), removes the
  // file "_l1" and unloads the pools in the order of loading, each listing
  // its items in "log.txt" and deleting them. The configuration stays, and
  // a later Load still gives 1020. While an engine is attached (below) the
  // unload waits: it happens when the last engine detaches. Always 0.
  int Unload();

  // An engine uses the pools from its initialisation to its release: it
  // attaches then and detaches at its release, and an Unload asked for
  // meanwhile is carried out by the last detach.
  void Attach();
  void Detach();
  // Whether an Unload waits for the engines still attached.
  bool IsUnloadPending() const;

  // The state that a composer checks at its initialisation; 0.
  int CheckState() const { return 0; }
  bool IsLoaded() const;
  // Whether the pools are in use: from the first Load until an Unload has
  // been carried out (an Unload that waits for engines leaves them in use).
  bool IsInUse() const;
  // Whether the marker file is held open.
  bool IsMarkerOpen() const;

  // The members, owned by this object.
  VConfiguration* GetConfiguration() { return &m_s_Configuration; }
  VSR_AC* GetAC() { return &m_vsr_AC; }
  VSR_TreeLexicon* GetTreeLexicon() { return &m_vsr_TreeLexicon; }
  VSR_PhonePool* GetPhonePool() { return &m_vsr_PhonePool; }
  VSR_3States* Get3States() { return &m_vsr_3States; }
  VSR_V58Compiler* GetV58Compiler() { return &m_vsr_V58Compiler; }
  VSR_VUserLexicon* GetVUserLexicon() { return &m_vsr_VUserLexicon; }

  // Opens the marker "_l1" in the installation directory; a step of Load.
  bool OpenMarkerFile();

  // The one instance of the process.
  static TMShared& Instance();

 private:
  // One pool in the order of loading and unloading, with the name that
  // reports its failure and its code.
  struct PoolStep {
    const char* member;
    int code;
    VSR_Resource* pool;
  };
  static constexpr int kPoolCount = 6;
  void PoolSteps(PoolStep (&steps)[kPoolCount]);
  // The work of Unload; the lock is held.
  void UnloadNow();

  VCharacterPool unusedCharacters_;  // constructed and destroyed, never used
  VConfiguration m_s_Configuration;
  VSR_CharacterPool unusedCharacterPool_;  // constructed and destroyed, never loaded
  VSR_AC m_vsr_AC;
  VSR_TreeLexicon m_vsr_TreeLexicon;
  VSR_PhonePool m_vsr_PhonePool;
  VSR_3States m_vsr_3States;
  VSR_V58Compiler m_vsr_V58Compiler;
  VSR_VUserLexicon m_vsr_VUserLexicon;
  std::FILE* marker_ = nullptr;
  bool loaded_ = false;
  bool released_ = false;       // an Unload has been carried out
  int engines_ = 0;             // attached engines
  bool unloadPending_ = false;  // an Unload waits for the last of them
  mutable std::mutex mutex_;
};
