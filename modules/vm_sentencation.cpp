#include "modules/vm_sentencation.h"

VM_LayerSentence::VM_LayerSentence() : VModule("VM_LayerSentence") {}

// Runs nothing yet.
bool VM_LayerSentence::ReleaseResources() { return true; }

bool VM_LayerSentence::Init() { return true; }

bool VM_LayerSentence::SetUp() { return true; }

bool VM_LayerSentence::Run() { return true; }

bool VM_LayerSentence::Release() { return true; }
