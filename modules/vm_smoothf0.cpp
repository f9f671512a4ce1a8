#include "modules/vm_smoothf0.h"

VM_SmoothF0::VM_SmoothF0() : VModule("VM_SmoothF0") {}

// Runs nothing yet.
bool VM_SmoothF0::ReleaseResources() { return true; }

bool VM_SmoothF0::Init() { return true; }

bool VM_SmoothF0::SetUp() { return true; }

bool VM_SmoothF0::Run() { return true; }

bool VM_SmoothF0::Release() { return true; }
