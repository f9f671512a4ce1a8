#include "modules/vm_us_english.h"

VM_UsEnglish::VM_UsEnglish() : VModule("VM_UsEnglish") {}

// Runs nothing yet.
bool VM_UsEnglish::ReleaseResources() { return true; }

bool VM_UsEnglish::Init() { return true; }

bool VM_UsEnglish::SetUp() { return true; }

bool VM_UsEnglish::Run() { return true; }

bool VM_UsEnglish::Release() { return true; }
