#include "modules/vm_feeder.h"

VM_Feeder::VM_Feeder() : VModule("VM_Feeder") {}

// Runs nothing yet.
bool VM_Feeder::ReleaseResources() { return true; }

bool VM_Feeder::Init() { return true; }

bool VM_Feeder::SetUp() { return true; }

bool VM_Feeder::Run() { return true; }

bool VM_Feeder::Release() { return true; }
