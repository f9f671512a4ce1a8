#include "modules/vm_infilter.h"

VM_InFilter::VM_InFilter() : VModule("VM_InFilter") {}

// Runs nothing yet.
bool VM_InFilter::ReleaseResources() { return true; }

bool VM_InFilter::Init() { return true; }

bool VM_InFilter::SetUp() { return true; }

bool VM_InFilter::Run() { return true; }

bool VM_InFilter::Release() { return true; }
