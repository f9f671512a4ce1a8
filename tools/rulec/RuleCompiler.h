// The commands of tm_rulec: compile a rule source into a binary rule file,
// and dump a binary rule file as rule source.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace rulec {

class RuleCompiler {
 public:
  // Exit codes.
  static constexpr int kOk = 0;
  static constexpr int kFailed = 1;  // the source or the file was refused, or a file error
  static constexpr int kUsage = 2;   // a wrong command line

  // Compiles source into output. Errors go to err as "file:line: reason".
  // Nothing is written unless the whole source is correct; the output is
  // written to a temporary file beside it and renamed into place. An
  // output of "-" (standard output) is refused with kUsage.
  static int compile(const std::string& source, const std::string& output, std::ostream& err);

  // Writes the source form of a binary rule file to output, or to out when
  // output is empty or "-". Works on every file whose header is complete.
  static int dump(const std::string& binary, const std::string& output, std::ostream& out,
                  std::ostream& err);

  // The command line (arguments without the program name).
  static int run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

  static const char* helpText();

  // Writes content to path through a temporary file and a rename; on failure
  // the reason is in why and no file is left behind.
  static bool writeFileAtomically(const std::string& path, const std::string& content,
                                  std::string& why);
};

}  // namespace rulec
