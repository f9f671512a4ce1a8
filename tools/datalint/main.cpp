// tm_datalint: cross-checks the data of an installation.
#include <iostream>
#include <string>
#include <vector>

#include "tools/datalint/DataLint.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  return datalint::Run(args, std::cout, std::cerr);
}
