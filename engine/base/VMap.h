// The engine's table of named objects: a fixed table of 100 (name, item)
// entries with a count, behind the module directory, the character pool,
// the layer table and the resource pools.
#pragma once

#include <sstream>
#include <string>

#include "engine/base/Log.h"
#include "engine/base/VLib.h"

template <class T>
class VMap {
 public:
  static constexpr int kCapacity = 100;

  struct Entry {
    virtual ~Entry() = default;
    std::string key;
    T* item = nullptr;
  };

  VMap() = default;
  VMap(const VMap&) = delete;
  VMap& operator=(const VMap&) = delete;

  // Writes "~VMap()" to the engine log and forgets the entries without
  // deleting their items.
  ~VMap() {
    VLib::AppendToLog("~VMap()");
    Forget();
  }

  // The item of the first entry whose key equals key exactly; null when none.
  T* Find(const std::string& key) const {
    for (int i = 0; i < count_; ++i) {
      if (entries_[i].key == key) return entries_[i].item;
    }
    return nullptr;
  }

  // Appends an entry. Refused, with a line in the engine log, when the table
  // is full or already holds the same item.
  bool Add(const std::string& key, T* item) {
    if (count_ >= kCapacity) {
      Log::Error("VMap::Add@table full (" + std::to_string(kCapacity) + " entries), [" + key +
                 "] not added");
      return false;
    }
    if (item != nullptr && Contains(item)) {
      Log::Error("VMap::Add@[" + key + "] is already in the table");
      return false;
    }
    entries_[count_].key = key;
    entries_[count_].item = item;
    ++count_;
    return true;
  }

  // Lists the table in the engine log, deletes every item and empties it.
  void Dump() {
    VLib::AppendToLog(std::to_string(count_));
    for (int i = 0; i < count_; ++i) {
      std::ostringstream line;
      line << i << ":" << static_cast<const void*>(&entries_[i].item) << "->"
           << static_cast<const void*>(entries_[i].item) << ":" << entries_[i].key;
      VLib::AppendToLog(line.str());
      delete entries_[i].item;
      entries_[i].item = nullptr;
      entries_[i].key.clear();
    }
    count_ = 0;
  }

  bool Contains(const T* item) const {
    for (int i = 0; i < count_; ++i) {
      if (entries_[i].item == item) return true;
    }
    return false;
  }

  bool IsFull() const { return count_ >= kCapacity; }
  int Count() const { return count_; }
  const std::string& KeyAt(int i) const { return entries_[i].key; }
  T* ItemAt(int i) const { return entries_[i].item; }

 private:
  void Forget() {
    for (int i = 0; i < kCapacity; ++i) {
      entries_[i].key.clear();
      entries_[i].item = nullptr;
    }
    count_ = 0;
  }

  Entry entries_[kCapacity];
  int count_ = 0;
};
