#include "modules/vm_filterplain.h"

VM_FilterPlain::VM_FilterPlain() : VModule("VM_FilterPlain") {}

// Runs nothing yet.
bool VM_FilterPlain::ReleaseResources() { return true; }

bool VM_FilterPlain::Init() { return true; }

bool VM_FilterPlain::SetUp() { return true; }

bool VM_FilterPlain::Run() { return true; }

bool VM_FilterPlain::Release() { return true; }
