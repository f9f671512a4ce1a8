#include "modules/vm_user_tophones.h"

VM_User_ToPhones::VM_User_ToPhones() : VModule("VM_User_ToPhones") {}

// Runs nothing yet.
bool VM_User_ToPhones::ReleaseResources() { return true; }

bool VM_User_ToPhones::Init() { return true; }

bool VM_User_ToPhones::SetUp() { return true; }

bool VM_User_ToPhones::Run() { return true; }

bool VM_User_ToPhones::Release() { return true; }
