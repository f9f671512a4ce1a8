#include "modules/vm_int_58.h"

VM_IntonationV58::VM_IntonationV58() : VModule("VM_IntonationV58") {}

// Runs nothing yet.
bool VM_IntonationV58::ReleaseResources() { return true; }

bool VM_IntonationV58::Init() { return true; }

bool VM_IntonationV58::SetUp() { return true; }

bool VM_IntonationV58::Run() { return true; }

bool VM_IntonationV58::Release() { return true; }
