#include "modules/vm_int_syl.h"

VM_IntonationSyllable::VM_IntonationSyllable() : VModule("VM_IntonationSyllable") {}

// Runs nothing yet.
bool VM_IntonationSyllable::ReleaseResources() { return true; }

bool VM_IntonationSyllable::Init() { return true; }

bool VM_IntonationSyllable::SetUp() { return true; }

bool VM_IntonationSyllable::Run() { return true; }

bool VM_IntonationSyllable::Release() { return true; }
