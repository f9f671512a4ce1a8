// tm_phonetable: the build-time compiler of the engine's phone table.
#include <iostream>
#include <string>
#include <vector>

#include "tools/phonetable/PhoneTableSource.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  return phonetable::Run(args, std::cout, std::cerr);
}
