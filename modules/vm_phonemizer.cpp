#include "modules/vm_phonemizer.h"

VM_Phonemizer::VM_Phonemizer() : VModule("VM_Phonemizer") {}

// Runs nothing yet.
bool VM_Phonemizer::ReleaseResources() { return true; }

bool VM_Phonemizer::Init() { return true; }

bool VM_Phonemizer::SetUp() { return true; }

bool VM_Phonemizer::Run() { return true; }

bool VM_Phonemizer::Release() { return true; }
