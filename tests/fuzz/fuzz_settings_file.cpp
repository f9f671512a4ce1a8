// Settings files (engine/base/VConfiguration): any bytes loaded as a
// name = value file. Every line that assigns gives its name the value of its
// first occurrence, the store holds each name once, and "__ID__" keeps the
// path that was loaded.
#include <map>

#include "engine/base/VConfiguration.h"
#include "support/utilities.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  tm_fuzz::Initialize(argc, argv, {"-timeout=2", "-max_len=8192"});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tm_fuzz::NextInput();
  const std::string_view bytes = tm_fuzz::Bytes(data, size);
  const std::string path = tm_fuzz::WriteScratch("settings.txt", bytes);
  VConfiguration settings;
  tm_fuzz::Check(settings.Load(path) == 1, "a readable file loads");
  tm_fuzz::Check(settings.GetParam(VConfiguration::kIdKey, false) == path, "__ID__ is the path");

  std::map<std::string, std::string> first{{VConfiguration::kIdKey, path}};
  for (const std::string& line : tm_fuzz::TextLines(bytes)) {
    std::string name;
    std::string value;
    if (line.empty() || !UTILITIES::splitAssignment(line, name, value, '#')) continue;
    first.emplace(name, value.substr(0, value.find('\0')));
  }
  tm_fuzz::Check(settings.Parameters().Count() == static_cast<int>(first.size()), "names once");
  for (const auto& [name, value] : first) {
    tm_fuzz::Check(settings.GetParam(name, false) == value, "the first value of a name wins");
  }
  return 0;
}
