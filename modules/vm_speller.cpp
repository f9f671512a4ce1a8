#include "modules/vm_speller.h"

VM_Speller::VM_Speller() : VModule("VM_Speller") {}

// Runs nothing yet.
bool VM_Speller::ReleaseResources() { return true; }

bool VM_Speller::Init() { return true; }

bool VM_Speller::SetUp() { return true; }

bool VM_Speller::Run() { return true; }

bool VM_Speller::Release() { return true; }
