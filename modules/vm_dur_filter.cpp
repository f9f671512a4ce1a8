#include "modules/vm_dur_filter.h"

VM_DurationFilter::VM_DurationFilter() : VModule("VM_DurationFilter") {}

// Runs nothing yet.
bool VM_DurationFilter::ReleaseResources() { return true; }

bool VM_DurationFilter::Init() { return true; }

bool VM_DurationFilter::SetUp() { return true; }

bool VM_DurationFilter::Run() { return true; }

bool VM_DurationFilter::Release() { return true; }
