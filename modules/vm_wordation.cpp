#include "modules/vm_wordation.h"

VM_LayerWord::VM_LayerWord() : VModule("VM_LayerWord") {}

// Runs nothing yet.
bool VM_LayerWord::ReleaseResources() { return true; }

bool VM_LayerWord::Init() { return true; }

bool VM_LayerWord::SetUp() { return true; }

bool VM_LayerWord::Run() { return true; }

bool VM_LayerWord::Release() { return true; }
