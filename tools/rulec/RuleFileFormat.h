// The binary rule file: writing a RuleSet byte for byte, and reading a file
// back the way the engine reads it (header, then records up to the end of
// the file; a record cut short by the end of the file is dropped).
#pragma once

#include <cstddef>
#include <string>

#include "tools/rulec/RuleSet.h"

namespace rulec {

class RuleFileFormat {
 public:
  // What reading a file found besides its rules.
  struct ReadReport {
    bool headerComplete = false;
    std::string problem;           // why the header is incomplete
    std::size_t droppedBytes = 0;  // bytes of an incomplete last record
  };

  // The file image of a rule set. The caller has checked the set (no zero
  // byte inside a string, at most kMaxContextElements elements a context).
  static std::string encode(const RuleSet& set);

  // Reads a file image. Returns false (report.problem says why) when the
  // image ends inside its header; the rules read before an incomplete last
  // record are kept and its size is in report.droppedBytes.
  static bool decode(const std::string& image, RuleSet& set, ReadReport& report);
};

}  // namespace rulec
