#include "modules/vm_genpho.h"

VM_GeneratorPHO::VM_GeneratorPHO() : VModule("VM_GeneratorPHO") {}

// Runs nothing yet.
bool VM_GeneratorPHO::ReleaseResources() { return true; }

bool VM_GeneratorPHO::Init() { return true; }

bool VM_GeneratorPHO::SetUp() { return true; }

bool VM_GeneratorPHO::Run() { return true; }

bool VM_GeneratorPHO::Release() { return true; }
