#include "modules/vm_grgrammar.h"

VM_GrGrammar::VM_GrGrammar() : VModule("VM_GrGrammar") {}

// Runs nothing yet.
bool VM_GrGrammar::ReleaseResources() { return true; }

bool VM_GrGrammar::Init() { return true; }

bool VM_GrGrammar::SetUp() { return true; }

bool VM_GrGrammar::Run() { return true; }

bool VM_GrGrammar::Release() { return true; }
