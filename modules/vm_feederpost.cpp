#include "modules/vm_feederpost.h"

VM_FeederPost::VM_FeederPost() : VModule("VM_FeederPost") {}

// Runs nothing yet.
bool VM_FeederPost::ReleaseResources() { return true; }

bool VM_FeederPost::Init() { return true; }

bool VM_FeederPost::SetUp() { return true; }

bool VM_FeederPost::Run() { return true; }

bool VM_FeederPost::Release() { return true; }
