#include "modules/vm_speechout_mbr.h"

VM_SpeechOut_Mbr::VM_SpeechOut_Mbr() : VModule("VM_SpeechOut_Mbr") {}

// Runs nothing yet.
bool VM_SpeechOut_Mbr::ReleaseResources() { return true; }

bool VM_SpeechOut_Mbr::Init() { return true; }

bool VM_SpeechOut_Mbr::SetUp() { return true; }

bool VM_SpeechOut_Mbr::Run() { return true; }

bool VM_SpeechOut_Mbr::Release() { return true; }

int VM_SpeechOut_Mbr::Play(const char*) { return 0; }

int VM_SpeechOut_Mbr::Stop() { return 0; }

int VM_SpeechOut_Mbr::SetVolume(float) { return 0; }
