// Helpers of the rule compiler tests: compiling a source text in-process or
// with the real tm_rulec executable, inside a temporary folder.
#pragma once

#include <sstream>
#include <string>

#include "tests/common/TestSupport.h"
#include "tools/rulec/RuleCompiler.h"

namespace rulec_test {

struct CompileResult {
  int code = -1;
  std::string errors;  // what went to standard error
  std::string image;   // the output file ("" when none was written)
  bool written = false;
};

// Writes source to dir/name.src and compiles it to dir/output.
inline CompileResult CompileText(const testing_support::TempDir& dir, const std::string& source,
                                 const std::string& output = "out.rul",
                                 const std::string& name = "test.src") {
  testing_support::WriteFile(dir / name, source);
  std::ostringstream err;
  CompileResult result;
  result.code = rulec::RuleCompiler::compile(dir / name, dir / output, err);
  result.errors = err.str();
  result.written = testing_support::FileExists(dir / output);
  if (result.written) result.image = testing_support::ReadFile(dir / output);
  return result;
}

// Dumps dir/binary in-process and returns the source text (code in code).
inline std::string DumpFile(const std::string& binary, int& code, std::string* errors = nullptr) {
  std::ostringstream out;
  std::ostringstream err;
  code = rulec::RuleCompiler::dump(binary, "", out, err);
  if (errors != nullptr) *errors = err.str();
  return out.str();
}

}  // namespace rulec_test
