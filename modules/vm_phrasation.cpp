#include "modules/vm_phrasation.h"

VM_LayerPhrase::VM_LayerPhrase() : VModule("VM_LayerPhrase") {}

// Runs nothing yet.
bool VM_LayerPhrase::ReleaseResources() { return true; }

bool VM_LayerPhrase::Init() { return true; }

bool VM_LayerPhrase::SetUp() { return true; }

bool VM_LayerPhrase::Run() { return true; }

bool VM_LayerPhrase::Release() { return true; }
