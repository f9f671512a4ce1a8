/*
 * The programming interface compiled as C and linked against libtmengine.so.
 * Run in an installation without config.txt: the first load fails, a second
 * answers 1020, and no engine can be made.
 */
#include "engine/interface/tmengine.h"

#include <stdio.h>
#include <string.h>

static int failures = 0;

static void check(int condition, int line) {
  if (!condition) {
    fprintf(stderr, "line %d failed\n", line);
    ++failures;
  }
}

/* Whether the last-error text equals expected. */
static int last_error_is(const char* expected) {
  char* text = NULL;
  int same = tmengine__GetLastError(&text) == TMENGINE_OK && strcmp(text, expected) == 0;
  tmengine__FreeBuffer(&text);
  return same;
}

int main(void) {
  Tamrin* handle = NULL;
  check(tmengine__LoadSharedResources() == TMENGINE_CONFIGURATION_FAILED, __LINE__);
  check(last_error_is("Error loading shared resources. Code = -1022"), __LINE__);
  check(tmengine__LoadSharedResources() == TMENGINE_ALREADY_LOADED, __LINE__);
  check(last_error_is(""), __LINE__);
  check(tmengine__New(&handle) < 0 && handle == NULL, __LINE__);
  check(last_error_is("Error initializing Tamrin object."), __LINE__);
  return failures;
}
