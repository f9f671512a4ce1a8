// A per-user registry stand-in. A key "Software\A\B" of HKEY_CURRENT_USER is
// the directory $XDG_CONFIG_HOME/A/B (default ~/.config/A/B); a value is a
// file of that directory whose bytes are the value's data.
#pragma once

#include <string>

namespace platform {

// Result codes, with the values the Win32 registry functions return.
constexpr long kRegSuccess = 0;
constexpr long kRegFileNotFound = 2;
constexpr long kRegAccessDenied = 5;
constexpr long kRegMoreData = 234;

struct RegistryKey {
  std::string directory;
};

// The directory that stands for a key of HKEY_CURRENT_USER.
std::string RegistryKeyDirectory(const std::string& subkey);

// Opens a key for reading: kRegSuccess, or kRegFileNotFound when it does not exist.
long RegistryOpenKey(const std::string& subkey, RegistryKey& key);

// Reads a value into data. bufferSize counts the terminating zero, as a
// Win32 buffer does: a value of bufferSize bytes or more gives kRegMoreData.
// One trailing line end (LF, or CR LF) is not part of the value.
long RegistryQueryValue(const RegistryKey& key, const std::string& name, std::string& data,
                        size_t bufferSize);

// Creates the key if needed and writes the value; kRegSuccess or kRegAccessDenied.
long RegistrySetValue(const std::string& subkey, const std::string& name, const std::string& data);

}  // namespace platform
