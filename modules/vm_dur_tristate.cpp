#include "modules/vm_dur_tristate.h"

VM_DurationTriState::VM_DurationTriState() : VModule("VM_DurationTriState") {}

// Runs nothing yet.
bool VM_DurationTriState::ReleaseResources() { return true; }

bool VM_DurationTriState::Init() { return true; }

bool VM_DurationTriState::SetUp() { return true; }

bool VM_DurationTriState::Run() { return true; }

bool VM_DurationTriState::Release() { return true; }
