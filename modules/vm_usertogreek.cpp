#include "modules/vm_usertogreek.h"

VM_UserToGreek::VM_UserToGreek() : VModule("VM_UserToGreek") {}

// Runs nothing yet.
bool VM_UserToGreek::ReleaseResources() { return true; }

bool VM_UserToGreek::Init() { return true; }

bool VM_UserToGreek::SetUp() { return true; }

bool VM_UserToGreek::Run() { return true; }

bool VM_UserToGreek::Release() { return true; }
