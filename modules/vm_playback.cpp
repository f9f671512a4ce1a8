#include "modules/vm_playback.h"

VM_Playback::VM_Playback() : VModule("VM_Playback") {}

// Runs nothing yet.
bool VM_Playback::ReleaseResources() { return true; }

bool VM_Playback::Init() { return true; }

bool VM_Playback::SetUp() { return true; }

bool VM_Playback::Run() { return true; }

bool VM_Playback::Release() { return true; }

int VM_Playback::Stop() { return 0; }

int VM_Playback::PlayBlock() { return kNothingHeld; }
