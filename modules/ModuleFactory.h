// The processing modules as every composer makes them: the name and the
// maker of each of the 27 modules in the order of creation, and the 26 of
// them that are registered, in the order of registration. The engine core
// includes no module; linking this library installs the table as the
// composer's module factory (Tamrin::SetModuleFactory) before main runs.
#pragma once

#include <string>
#include <vector>

#include "engine/composer/Tamrin.h"

// The linker keeps the table's object file in every program that links the
// module library because the library's users ask for this symbol (see
// modules/CMakeLists.txt). 1 once the table is installed.
extern "C" int tm_module_factory_installed();

namespace modules {

// The names that the composer registers, in the order of registration:
// the names that a voice font's chain may use.
std::vector<std::string> RegisteredNames();

}  // namespace modules
