#include "modules/vm_feederpre.h"

VM_FeederPre::VM_FeederPre() : VModule("VM_FeederPre") {}

// Runs nothing yet.
bool VM_FeederPre::ReleaseResources() { return true; }

bool VM_FeederPre::Init() { return true; }

bool VM_FeederPre::SetUp() { return true; }

bool VM_FeederPre::Run() { return true; }

bool VM_FeederPre::Release() { return true; }
