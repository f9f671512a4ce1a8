// Settings files (engine/base/VConfiguration): any bytes as a name = value
// file; the first occurrence of a name wins, "__ID__" keeps the path.
#include <map>

#include "engine/base/VConfiguration.h"
#include "support/utilities.h"
#include "tests/fuzz/FuzzSupport.h"

const tm_fuzz::Target tm_fuzz::kTarget{2, 8192, nullptr};

void tm_fuzz::FuzzOne(std::string_view bytes) {
  const std::string path = WriteScratch("settings.txt", bytes);
  VConfiguration settings;
  Check(settings.Load(path) == 1, "a readable file loads");
  std::map<std::string, std::string> first{{VConfiguration::kIdKey, path}};
  for (const std::string& line : Lines(bytes, true)) {
    std::string name;
    std::string value;
    if (line.empty() || !UTILITIES::splitAssignment(line, name, value, '#')) continue;
    first.emplace(name, value.substr(0, value.find('\0')));
  }
  Check(settings.Parameters().Count() == static_cast<int>(first.size()), "names once");
  for (const auto& [name, value] : first) {
    Check(settings.GetParam(name, false) == value, "the first value of a name wins");
  }
}
