// tm_v58: the build-time expander and checker of the V58 template files.
#include <iostream>
#include <string>
#include <vector>

#include "tools/v58/V58Tool.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  return v58::Run(args, std::cout, std::cerr);
}
