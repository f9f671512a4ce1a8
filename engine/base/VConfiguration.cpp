#include "engine/base/VConfiguration.h"

#include <fstream>
#include <system_error>

#include "engine/base/VLib.h"
#include "support/utilities.h"

VConfiguration::~VConfiguration() = default;

int VConfiguration::Load(const std::string& path) {
  m_Parameters.Add(kIdKey, PARAM_TYPE_STRING, 0, path.c_str());
  std::ifstream in;
  // A directory opens as a stream on this platform but is no settings file.
  if (!UTILITIES::isDirectory(path)) in.open(path);
  if (!in.is_open()) {
    VLib::ReportError("ifstream error on " + path);
    return -1;
  }
  std::string line;
  std::string name;
  std::string value;
  while (std::getline(in, line)) {
    // A line that ended at a line feed loses one carriage return before it.
    if (!in.eof() && !line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    if (!UTILITIES::splitAssignment(line, name, value, '#')) continue;
    m_Parameters.Add(name, PARAM_TYPE_STRING, 0, value.c_str());
  }
  loaded_ = true;
  return 1;
}

int VConfiguration::Load(const char* path) {
  return Load(std::string(path != nullptr ? path : ""));
}

std::string VConfiguration::GetParam(const std::string& key, bool report) const {
  const VParameterDataEntry* entry = m_Parameters.Find(key);
  if (entry != nullptr) return entry->Text();
  if (report) {
    const VParameterDataEntry* id = m_Parameters.Find(kIdKey);
    const std::string path = id != nullptr ? id->Text() : std::string();
    VLib::ReportError("Error: parameter [" + key + "] was not found in [" + path + "]");
  }
  return std::string();
}

std::string VConfiguration::GetParam(const char* key, bool report) const {
  return GetParam(std::string(key != nullptr ? key : ""), report);
}

int VConfiguration::GetParamInt(const std::string& key, bool report) const {
  return VLib::ParseInt(GetParam(key, report));
}

double VConfiguration::GetParamFloat(const std::string& key, bool report) const {
  return VLib::ParseFloat(GetParam(key, report));
}

bool VConfiguration::GetParamYes(const std::string& key, bool report) const {
  return GetParam(key, report) == "yes";
}
