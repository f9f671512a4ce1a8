#include "engine/base/VParameterData.h"

#include <cstring>
#include <utility>

#include "engine/base/VStr.h"

namespace {

char* CopyBlock(const char* block, int size) {
  if (block == nullptr) return nullptr;
  char* copy = new char[size > 0 ? static_cast<size_t>(size) : 1]();
  if (size > 0) std::memcpy(copy, block, static_cast<size_t>(size));
  return copy;
}

}  // namespace

VParameterDataEntry::VParameterDataEntry()
    : m_Type(PARAM_TYPE_VOID), m_Size(0), m_Value(nullptr), m_Reference(nullptr) {}

VParameterDataEntry::VParameterDataEntry(const VParameterDataEntry& other)
    : m_Name(other.m_Name),
      m_Type(other.m_Type),
      m_Size(other.m_Size),
      m_Value(CopyBlock(other.m_Value, other.m_Size)),
      m_Reference(other.m_Reference) {}

VParameterDataEntry::VParameterDataEntry(VParameterDataEntry&& other) noexcept
    : m_Name(std::move(other.m_Name)),
      m_Type(std::move(other.m_Type)),
      m_Size(other.m_Size),
      m_Value(other.m_Value),
      m_Reference(other.m_Reference) {
  other.m_Value = nullptr;
  other.m_Reference = nullptr;
  other.m_Size = 0;
  other.m_Name.clear();
  other.m_Type = PARAM_TYPE_VOID;
}

VParameterDataEntry& VParameterDataEntry::operator=(const VParameterDataEntry& other) {
  if (this == &other) return *this;
  char* value = CopyBlock(other.m_Value, other.m_Size);
  delete[] m_Value;
  m_Value = value;
  m_Name = other.m_Name;
  m_Type = other.m_Type;
  m_Size = other.m_Size;
  m_Reference = other.m_Reference;
  return *this;
}

VParameterDataEntry& VParameterDataEntry::operator=(VParameterDataEntry&& other) noexcept {
  if (this == &other) return *this;
  delete[] m_Value;
  m_Name = std::move(other.m_Name);
  m_Type = std::move(other.m_Type);
  m_Size = other.m_Size;
  m_Value = other.m_Value;
  m_Reference = other.m_Reference;
  other.m_Value = nullptr;
  other.m_Reference = nullptr;
  other.m_Size = 0;
  other.m_Name.clear();
  other.m_Type = PARAM_TYPE_VOID;
  return *this;
}

VParameterDataEntry::~VParameterDataEntry() { delete[] m_Value; }

void VParameterDataEntry::Set(const std::string& name, const std::string& type, int mode,
                              const void* value) {
  delete[] m_Value;
  m_Value = nullptr;
  m_Reference = nullptr;
  m_Name = name;
  m_Type = type;
  m_Size = 0;
  if (value == nullptr) return;
  if (type == PARAM_TYPE_STRING) {
    m_Size = static_cast<int>(std::strlen(static_cast<const char*>(value))) + 1;
  } else if (type == PARAM_TYPE_INTEGER || type == PARAM_TYPE_FLOAT) {
    m_Size = 4;
  }
  if (mode == 1 || mode == 2) m_Reference = value;
  if (mode != 1) m_Value = CopyBlock(static_cast<const char*>(value), m_Size);
}

void VParameterDataEntry::Destroy() {
  delete[] m_Value;
  m_Value = nullptr;
  m_Reference = nullptr;
  m_Size = 0;
  m_Name.clear();
  m_Type = PARAM_TYPE_VOID;
}

void VParameterDataEntry::ToString(char** out) const {
  if (out == nullptr) return;
  if (m_Type != PARAM_TYPE_STRING || m_Value == nullptr || m_Size < 1) {
    VStr::Release(out);
    return;
  }
  VStr::AssignN(out, m_Value, m_Size - 1);
}

std::string VParameterDataEntry::Text() const {
  if (m_Type != PARAM_TYPE_STRING || m_Value == nullptr || m_Size < 1) return std::string();
  return std::string(m_Value, static_cast<size_t>(m_Size - 1));
}

int VParameterData::Add(const std::string& name, const std::string& type, int mode,
                        const void* value) {
  if (!m_Index.emplace(name, m_Entries.size()).second) return -1;
  VParameterDataEntry entry;
  entry.Set(name, type, mode, value);
  m_Entries.push_back(std::move(entry));
  return 1;
}

int VParameterData::IndexOf(const std::string& name) const {
  const auto found = m_Index.find(name);
  return found == m_Index.end() ? -1 : static_cast<int>(found->second);
}

int VParameterData::Get(const std::string& name, char** out) const {
  const VParameterDataEntry* entry = Find(name);
  if (entry == nullptr) {
    VStr::Release(out);
    return -1;
  }
  entry->ToString(out);
  return 1;
}

const VParameterDataEntry* VParameterData::Find(const std::string& name) const {
  const int index = IndexOf(name);
  return index < 0 ? nullptr : &m_Entries[static_cast<size_t>(index)];
}

void VParameterData::Clear() {
  for (VParameterDataEntry& entry : m_Entries) entry.Destroy();
  std::vector<VParameterDataEntry>().swap(m_Entries);
  m_Index = std::unordered_map<std::string, std::size_t>();
}
