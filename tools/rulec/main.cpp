// tm_rulec: the build-time compiler of letter-conversion rule files.
#include <iostream>
#include <string>
#include <vector>

#include "tools/rulec/RuleCompiler.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return rulec::RuleCompiler::run(args, std::cout, std::cerr);
}
