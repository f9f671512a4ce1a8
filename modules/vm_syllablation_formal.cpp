#include "modules/vm_syllablation_formal.h"

VM_LayerSyllable::VM_LayerSyllable() : VModule("VM_LayerSyllable") {}

// Runs nothing yet.
bool VM_LayerSyllable::ReleaseResources() { return true; }

bool VM_LayerSyllable::Init() { return true; }

bool VM_LayerSyllable::SetUp() { return true; }

bool VM_LayerSyllable::Run() { return true; }

bool VM_LayerSyllable::Release() { return true; }
