#include "modules/vm_textfeeder.h"

VM_TextFeeder::VM_TextFeeder() : VModule("VM_TextFeeder") {}

// Runs nothing yet.
bool VM_TextFeeder::ReleaseResources() { return true; }

bool VM_TextFeeder::Init() { return true; }

bool VM_TextFeeder::SetUp() { return true; }

bool VM_TextFeeder::Run() { return true; }

bool VM_TextFeeder::Release() { return true; }
