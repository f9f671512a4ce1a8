#include "modules/vm_mbrola.h"

VM_Mbrola::VM_Mbrola() : VModule("VM_Mbrola") {}

// Runs nothing yet.
bool VM_Mbrola::ReleaseResources() { return true; }

bool VM_Mbrola::Init() { return true; }

bool VM_Mbrola::SetUp() { return true; }

bool VM_Mbrola::Run() { return true; }

bool VM_Mbrola::Release() { return true; }
