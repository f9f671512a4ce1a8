// A typed, ordered parameter store: entries keep a name, a type name
// ("void" until set; "string", "integer" or "float"), the byte count of the
// value and their own copy of it. Names are unique within a store and are
// compared exactly (case-sensitive); an index by name keeps adding and
// looking up independent of the number of entries.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "support/constants.h"

class VParameterDataEntry {
 public:
  VParameterDataEntry();
  VParameterDataEntry(const VParameterDataEntry& other);
  VParameterDataEntry(VParameterDataEntry&& other) noexcept;
  VParameterDataEntry& operator=(const VParameterDataEntry& other);
  VParameterDataEntry& operator=(VParameterDataEntry&& other) noexcept;
  ~VParameterDataEntry();

  // Sets the entry. size follows the type: length + 1 for "string" (value is
  // a zero-terminated text), 4 for "integer" (an int32_t) and "float" (a
  // float), 0 for any other type name. mode 0 copies the value into the
  // entry's own block; mode 1 keeps it as the reference only; mode 2 does
  // both. A null value leaves the block null (and the size 0).
  void Set(const std::string& name, const std::string& type, int mode, const void* value);

  // Releases the value block and resets name and type ("void").
  void Destroy();

  // *out (null or a VStr block, released first) gets a new copy of the text
  // of a "string" entry; null for any other entry or one without a value.
  void ToString(char** out) const;

  // The text of a "string" entry (empty for any other entry).
  std::string Text() const;

  const std::string& Name() const { return m_Name; }
  const std::string& Type() const { return m_Type; }
  int Size() const { return m_Size; }
  const char* Value() const { return m_Value; }
  const void* Reference() const { return m_Reference; }

 private:
  std::string m_Name;
  std::string m_Type;
  int m_Size;
  char* m_Value;            // owned, m_Size bytes
  const void* m_Reference;  // not owned
};

class VParameterData {
 public:
  // -1 when name is already present (nothing changes); else appends a new
  // entry set from the arguments (see VParameterDataEntry::Set) and gives 1.
  int Add(const std::string& name, const std::string& type, int mode, const void* value);

  // The index of the entry called name, or -1.
  int IndexOf(const std::string& name) const;

  // 1 and a new copy of the text of the entry called name in *out (null when
  // the entry is not a "string" entry), or -1 and null when there is none.
  // *out must hold null or a VStr block, which is released first.
  int Get(const std::string& name, char** out) const;

  // The entry called name, or null.
  const VParameterDataEntry* Find(const std::string& name) const;

  // Destroys every entry and releases the storage.
  void Clear();

  int Count() const { return static_cast<int>(m_Entries.size()); }
  const VParameterDataEntry& At(int index) const { return m_Entries[static_cast<size_t>(index)]; }

 private:
  std::vector<VParameterDataEntry> m_Entries;
  std::unordered_map<std::string, std::size_t> m_Index;  // name -> entry
};
