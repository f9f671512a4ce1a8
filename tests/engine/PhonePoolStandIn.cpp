// TMShared holds the phone table; while the table's loader is not in the
// tree, its two virtual operations are defined here so that tests can build
// a TMShared for its configuration. Once engine/VSR_PhonePool.cpp exists,
// these definitions drop out by themselves.
#if !__has_include("engine/VSR_PhonePool.cpp")

#include "engine/VSR_PhonePool.h"

bool VSR_PhonePool::Load(TMShared* holder) {
  holder_ = holder;
  return true;
}

bool VSR_PhonePool::Unload() { return true; }

#endif
