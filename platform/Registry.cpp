#include "Registry.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace platform {
namespace fs = std::filesystem;

std::string RegistryKeyDirectory(const std::string& subkey) {
  std::string base;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg != nullptr && xdg[0] == '/') {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    base = std::string(home != nullptr ? home : "") + "/.config";
  }
  std::string rest = subkey;
  const std::string software = "Software\\";
  if (rest.compare(0, software.size(), software) == 0) rest.erase(0, software.size());
  for (char& c : rest) {
    if (c == '\\') c = '/';
  }
  return base + "/" + rest;
}

long RegistryOpenKey(const std::string& subkey, RegistryKey& key) {
  const std::string dir = RegistryKeyDirectory(subkey);
  std::error_code ec;
  if (!fs::is_directory(dir, ec)) return kRegFileNotFound;
  key.directory = dir;
  return kRegSuccess;
}

long RegistryQueryValue(const RegistryKey& key, const std::string& name, std::string& data,
                        size_t bufferSize) {
  std::ifstream in(key.directory + "/" + name, std::ios::binary);
  if (!in) return errno == EACCES ? kRegAccessDenied : kRegFileNotFound;
  std::string value((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return kRegFileNotFound;
  if (!value.empty() && value.back() == '\n') {
    value.pop_back();
    if (!value.empty() && value.back() == '\r') value.pop_back();
  }
  if (value.size() + 1 > bufferSize) return kRegMoreData;
  data = value;
  return kRegSuccess;
}

long RegistrySetValue(const std::string& subkey, const std::string& name, const std::string& data) {
  const std::string dir = RegistryKeyDirectory(subkey);
  std::error_code ec;
  fs::create_directories(dir, ec);
  const std::string path = dir + "/" + name;
  const std::string temp = path + ".new";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return kRegAccessDenied;
    out << data;
    out.flush();
    if (!out) return kRegAccessDenied;
  }
  fs::rename(temp, path, ec);
  return ec ? kRegAccessDenied : kRegSuccess;
}

}  // namespace platform
