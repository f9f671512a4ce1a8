#include "modules/vm_savewavembr.h"

VM_SaveWave::VM_SaveWave() : VModule("VM_SaveWave") {}

// Runs nothing yet.
bool VM_SaveWave::ReleaseResources() { return true; }

bool VM_SaveWave::Init() { return true; }

bool VM_SaveWave::SetUp() { return true; }

bool VM_SaveWave::Run() { return true; }

bool VM_SaveWave::Release() { return true; }
