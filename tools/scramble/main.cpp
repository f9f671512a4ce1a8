// tm_scramble: the build-time writer of the engine's scrambled data files.
#include <iostream>
#include <string>
#include <vector>

#include "tools/scramble/ScrambleTool.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  return scramble::Run(args, std::cout, std::cerr);
}
