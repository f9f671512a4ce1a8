// The small base part of the engine's objects: a name, the owning composer
// (never owned) and a prepared flag, plus one integer left to the owner.
#pragma once

#include <string>

#include "engine/composer/VComposer.h"

class VComponent {
 public:
  VComponent() = default;
  explicit VComponent(std::string name) : name_(std::move(name)) {}

  // Stores the composer and clears the prepared flag.
  void SetComposer(VComposer* composer) {
    composer_ = composer;
    prepared_ = false;
  }
  // The composer; without one, reports "Null Tamrin." and gives null.
  VComposer* GetComposer() const;
  // The composer without any report (null when there is none).
  VComposer* PeekComposer() const { return composer_; }

  std::string GetName() const { return name_; }
  void SetName(const std::string& name) { name_ = name; }
  bool IsPrepared() const { return prepared_; }
  void SetPrepared(bool prepared) { prepared_ = prepared; }
  int GetValue() const { return value_; }
  void SetValue(int value) { value_ = value; }

 private:
  int value_ = 0;
  bool prepared_ = false;
  std::string name_;
  VComposer* composer_ = nullptr;
};
