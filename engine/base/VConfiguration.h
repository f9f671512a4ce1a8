// A name = value settings file over a parameter store. Each line is split by
// UTILITIES::splitAssignment with '#' as the comment character; nothing is
// trimmed, and the first occurrence of a name wins. The pseudo-parameter
// "__ID__" holds the path that was loaded; it is stored before the file's
// lines, so the file cannot override it.
#pragma once

#include <string>

#include "engine/base/VParameterData.h"

class VConfiguration {
 public:
  static constexpr const char* kIdKey = "__ID__";

  VConfiguration() = default;
  virtual ~VConfiguration();

  // 1 when the file was read, -1 when it cannot be opened (the error report
  // then receives "ifstream error on " and the path, and the store holds only
  // "__ID__"). A second Load adds the second file's new names behind the
  // first's. A null path reads as the empty path.
  int Load(const char* path);
  int Load(const std::string& path);

  // The value of key, or "" when there is none; with report set, a missing
  // key gives the error report "Error: parameter [key] was not found in
  // [path]". A key present with an empty value gives "" and no report.
  std::string GetParam(const char* key, bool report) const;
  std::string GetParam(const std::string& key, bool report) const;

  // Typed readings of GetParam: atoi- and atof-like numbers with '.' as the
  // decimal point whatever the process locale (a missing key gives 0), and
  // yes/no keys that hold only for exactly "yes".
  int GetParamInt(const std::string& key, bool report) const;
  double GetParamFloat(const std::string& key, bool report) const;
  bool GetParamYes(const std::string& key, bool report) const;

  const VParameterData& Parameters() const { return m_Parameters; }
  // Whether a Load has read a file.
  bool IsLoaded() const { return loaded_; }

 protected:
  VParameterData m_Parameters;

 private:
  bool loaded_ = false;
};
