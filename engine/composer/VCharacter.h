// One voice font (character): the settings file of the voice with the chain
// of modules that it names. Keys missing from the font are taken from the
// character "default.vof" of the composer's character pool.
#pragma once

#include <string>

#include "engine/base/VConfiguration.h"
#include "engine/composer/VComposer.h"
#include "engine/composer/VModuleChain.h"

class VCharacter : public VConfiguration {
 public:
  // The key of the character that supplies what other fonts lack.
  static constexpr const char* kDefaultKey = "default.vof";

  VCharacter() = default;
  VCharacter(const VCharacter&) = delete;
  VCharacter& operator=(const VCharacter&) = delete;
  ~VCharacter() override;

  // The font's own value of key (looked up without a report). When that is
  // empty (key absent or present with an empty value), the value of key in
  // the "default.vof" character of the composer's pool, looked up with the
  // missing-key report; "" without a report when the pool has no such
  // character. The fallback goes one level only. A character without a
  // composer answers from its own file alone.
  virtual std::string GetParameter(const std::string& key) const;
  // The same; a null key reads as the empty key.
  std::string GetParameter(const char* key) const;

  // Gives the character and its chain the composer (not owned).
  void SetComposer(VComposer* composer);
  VComposer* GetComposer() const { return composer_; }

  VModuleChain* GetChain() { return &chain_; }
  const VModuleChain* GetChain() const { return &chain_; }

 private:
  VModuleChain chain_;
  VComposer* composer_ = nullptr;
};
