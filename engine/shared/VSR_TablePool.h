// The shared resource pools that are tables of named items: each lists one
// configured directory, loads every regular file whose name ends with a
// configured suffix into an item of its kind, and keeps the item under the
// file's full name (suffix included), in listing order. Modules take items
// by that exact name.
//
// VSR_TablePoolBase holds the steps that every such pool shares; a pool
// derives from VSR_TablePool<Item> and says only how one file becomes an
// item (and, if it needs to, which further settings it reads first).
#pragma once

#include <string>

#include "engine/base/Log.h"
#include "engine/base/VMap.h"
#include "engine/shared/VSR_Resource.h"

class VConfiguration;

class VSR_TablePoolBase : public VSR_Resource {
 public:
  // The configuration keys of a pool and the text that reports a directory
  // it cannot use (followed by the directory's path).
  struct Settings {
    const char* directoryKey;
    const char* suffixKey;
    const char* directoryMessage;
  };

  explicit VSR_TablePoolBase(const Settings& settings) : settings_(settings) {}

  // Loads the pool from the holder's configuration (read with the
  // missing-key report; a missing key reads as the empty text):
  //  - a null holder: "Null TMShared." in the error report, false;
  //  - the directory (relative to the installation) is not a directory: the
  //    pool's directory message and the path in the error report, false,
  //    the table unchanged;
  //  - every listed regular file whose name ends with the suffix (byte for
  //    byte; an empty suffix matches every file) is loaded by LoadItem;
  //    the first item that fails ends the load with false, keeping the
  //    items entered before;
  //  - files beyond the table's capacity are skipped with one error report.
  // True otherwise, also when no file matched. Items are appended: the
  // table is not emptied first.
  bool Load(TMShared* holder) override;

  const Settings& GetSettings() const { return settings_; }

  // Whether name ends with suffix, byte for byte.
  static bool Matches(const std::string& name, const std::string& suffix);

 protected:
  // Reads the pool's own further settings, before the directory is tested.
  virtual void ReadSettings(const VConfiguration& /*config*/) {}
  // Loads the file at path and enters it under name; false ends the load.
  virtual bool LoadItem(const std::string& name, const std::string& path) = 0;
  virtual bool IsFull() const = 0;

 private:
  Settings settings_;
};

template <class Item>
class VSR_TablePool : public VSR_TablePoolBase {
 public:
  using VSR_TablePoolBase::VSR_TablePoolBase;

  // Writes "~VMap()" (the table's destructor) and deletes the items that an
  // Unload has not released.
  ~VSR_TablePool() override {
    for (int i = 0; i < table_.Count(); ++i) delete table_.ItemAt(i);
  }

  // Lists the table in the engine log and deletes every item; true.
  bool Unload() override {
    table_.Dump();
    return true;
  }

  // The item stored under exactly that name (the full file name); null when
  // there is none.
  Item* Find(const std::string& name) const { return table_.Find(name); }
  // Find for a module that binds the item by a voice-font setting: when
  // there is none, one line in the engine log says so, naming `who`.
  Item* FindFor(const std::string& name, const std::string& who) const {
    Item* item = table_.Find(name);
    if (item == nullptr) {
      Log::Error(who + "@[" + name + "] is not loaded from " + GetSettings().directoryKey +
                 ": it is left out");
    }
    return item;
  }
  int Count() const { return table_.Count(); }
  const std::string& KeyAt(int i) const { return table_.KeyAt(i); }
  Item* ItemAt(int i) const { return table_.ItemAt(i); }
  const VMap<Item>& GetTable() const { return table_; }

 protected:
  bool IsFull() const override { return table_.IsFull(); }

  // Enters a loaded item under name; the table takes it over.
  void Enter(const std::string& name, Item* item) {
    if (!table_.Add(name, item)) delete item;
  }

  VMap<Item> table_;
};
