#include "modules/vm_dur_wrd.h"

VM_DurationWord::VM_DurationWord() : VModule("VM_DurationWord") {}

// Runs nothing yet.
bool VM_DurationWord::ReleaseResources() { return true; }

bool VM_DurationWord::Init() { return true; }

bool VM_DurationWord::SetUp() { return true; }

bool VM_DurationWord::Run() { return true; }

bool VM_DurationWord::Release() { return true; }
