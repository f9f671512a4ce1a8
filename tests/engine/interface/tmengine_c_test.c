/*
 * The programming interface driven from C. tmengine_c_smoke runs inside the
 * engine test binary (in-process, after the shared resources are set up);
 * built with TMENGINE_C_TEST_MAIN it is a program of its own against
 * libtmengine.so, which makes a temporary installation first:
 *   test_tmengine_c engine       load, create, list, select, synthesise
 *   test_tmengine_c failed-load  a first load that fails, then 1020
 */
#ifdef TMENGINE_C_TEST_MAIN
#define _XOPEN_SOURCE 700
#endif

#include "engine/interface/tmengine.h"

#include <stdio.h>
#include <string.h>

int tmengine_c_smoke(char* message, int size);

#define CHECK(condition)                                                    \
  do {                                                                      \
    if (!(condition)) {                                                     \
      snprintf(message, (size_t)size, "line %d: %s", __LINE__, #condition); \
      goto done;                                                            \
    }                                                                       \
  } while (0)

/* Whether the last-error text equals expected. */
static int last_error_is(const char* expected) {
  char* text = NULL;
  int same;
  if (tmengine__GetLastError(&text) != 0) return 0;
  same = text != NULL && strcmp(text, expected) == 0;
  tmengine__FreeBuffer(&text);
  return same;
}

int tmengine_c_smoke(char* message, int size) {
  Tamrin* handle = NULL;
  char* list = NULL;
  char* value = NULL;
  char* buffer = NULL;
  long length = 0;
  int count = 0;
  int r;
  int failed = 1;

  r = tmengine__LoadSharedResources();
  CHECK(r == TMENGINE_OK || r == TMENGINE_ALREADY_LOADED);
  CHECK(tmengine__New(&handle) == TMENGINE_OK);
  CHECK(handle != NULL);

  CHECK(tmengine__ListVoiceFonts(handle, &list, &count) == TMENGINE_OK);
  CHECK(count >= 2);
  CHECK(strstr(list, "default.vof;") != NULL);
  CHECK(strstr(list, "second.vof;") != NULL);

  CHECK(tmengine__GetVoiceFontParameter(handle, "second.vof", "Settings.DisplayName", &value) ==
        TMENGINE_OK);
  CHECK(strcmp(value, "Second voice") == 0);
  CHECK(tmengine__SelectVoiceFont(handle, "second.vof") == TMENGINE_OK);
  CHECK(tmengine__SelectVoiceFont(handle, "none.vof") == TMENGINE_FONT_NOT_FOUND);
  CHECK(last_error_is("Error setting the VoiceFont [none.vof]."));
  CHECK(tmengine__SelectVoiceFont(handle, "default.vof") == TMENGINE_OK);

  CHECK(tmengine__TextToBuffer(handle, "Καλημέρα", 1, &buffer, &length) == TMENGINE_OK);
  CHECK(length >= 44);
  CHECK(memcmp(buffer, "RIFF", 4) == 0);
  CHECK(tmengine__TextToSpeech(handle, "Καλημέρα", 1) == TMENGINE_OK);

  CHECK(tmengine__SetPitchReference(handle, 2.5) == TMENGINE_PITCH_TOO_HIGH);
  CHECK(last_error_is("PitchReference out of limits."));
  CHECK(tmengine__SetSpeedReference(handle, 1.0) == TMENGINE_OK);
  CHECK(last_error_is(""));
  CHECK(tmengine__SpeakPause(handle) == TMENGINE_OK);
  CHECK(tmengine__SpeakResume(handle) >= TMENGINE_OK);
  CHECK(tmengine__Stop(handle) == TMENGINE_OK);
  CHECK(tmengine__Stop(NULL) == TMENGINE_NULL_HANDLE);
  CHECK(last_error_is("Null Tamrin handler as argument"));

  CHECK(tmengine__Delete(&handle) == TMENGINE_OK);
  CHECK(handle == NULL);
  failed = 0;
  message[0] = '\0';

done:
  tmengine__FreeBuffer(&list);
  tmengine__FreeBuffer(&value);
  tmengine__FreeBuffer(&buffer);
  if (handle != NULL) tmengine__Delete(&handle);
  return failed;
}

#ifdef TMENGINE_C_TEST_MAIN

#include <ftw.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

static char root[512];

static int write_file(const char* relative, const char* text) {
  char path[1024];
  FILE* f;
  snprintf(path, sizeof path, "%s/%s", root, relative);
  f = fopen(path, "wb");
  if (f == NULL) return 0;
  fputs(text, f);
  return fclose(f) == 0;
}

static int make_dir(const char* relative) {
  char path[1024];
  snprintf(path, sizeof path, "%s/%s", root, relative);
  return mkdir(path, 0700) == 0;
}

static int remove_entry(const char* path, const struct stat* st, int type, struct FTW* ftw) {
  (void)st;
  (void)type;
  (void)ftw;
  return remove(path);
}

/* A temporary installation registered for this process, with the working
 * directory inside it; with_config 0 leaves out "config.txt". */
static int make_installation(int with_config) {
  char value[1024];
  const char* tmp = getenv("TMPDIR");
  snprintf(root, sizeof root, "%s/tmengine-c-XXXXXX", tmp != NULL && tmp[0] ? tmp : "/tmp");
  if (mkdtemp(root) == NULL) return 0;
  if (!make_dir("install") || !make_dir("install/voices") || !make_dir("install/logs") ||
      !make_dir("install/rules") || !make_dir("install/lexicon") || !make_dir("install/tristate") ||
      !make_dir("install/v58") || !make_dir("install/user") || !make_dir("work") ||
      !make_dir("config") || !make_dir("config/Quenmoor") ||
      !make_dir("config/Quenmoor/ZORVALIS")) {
    return 0;
  }
  snprintf(value, sizeof value, "%s/install", root);
  if (!write_file("config/Quenmoor/ZORVALIS/path", value)) return 0;
  if (with_config &&
      !write_file("install/config.txt",
                  "Logger.Directory=logs\nLogger.Preffix=log_\nLogger.ErrorPreffix=err_\n"
                  "Logger.Suffix=.html\nVoiceFonts.Directory=voices\nVoiceFonts.Suffix=.vof\n"
                  "Default.VoiceFont=default.vof\nPhones.Filename=phones/absent.phn\n"
                  "AC.Directory=rules\nAC.Suffix=.rul\nLexicon.Directory=lexicon\n"
                  "Lexicon.Suffix=.lex\nLexicon.EForm=no\n3States.Directory=tristate\n"
                  "3States.Suffix=.3st\nV58Compiler.Directory=v58\nV58Compiler.Suffix=.v58\n"
                  "User.Lexicon.Directory=user\nUser.Lexicon.Suffix=.usr\n")) {
    return 0;
  }
  if (!write_file("install/voices/default.vof",
                  "VModuleChain.Modules=VM_TextFeeder;VM_FeederPre;VM_GeneratorPHO\n"
                  "Playback.Method=none\nSettings.DisplayName=Default voice\n"
                  "SpeechBuffer.SampleRate=16000\n") ||
      !write_file("install/voices/second.vof", "Settings.DisplayName=Second voice\n")) {
    return 0;
  }
  snprintf(value, sizeof value, "%s/config", root);
  setenv("XDG_CONFIG_HOME", value, 1);
  snprintf(value, sizeof value, "%s/work", root);
  return chdir(value) == 0;
}

/* The first load fails, and a second answers 1020 even so. */
static int failed_load(char* message, int size) {
  Tamrin* handle = NULL;
  int failed = 1;
  CHECK(tmengine__LoadSharedResources() == TMENGINE_CONFIGURATION_FAILED);
  CHECK(last_error_is("Error loading shared resources. Code = -1022"));
  CHECK(tmengine__LoadSharedResources() == TMENGINE_ALREADY_LOADED);
  CHECK(last_error_is(""));
  CHECK(tmengine__New(&handle) < 0);
  CHECK(handle == NULL);
  CHECK(last_error_is("Error initializing Tamrin object."));
  failed = 0;
done:
  return failed;
}

int main(int argc, char** argv) {
  char message[512] = "";
  int failed;
  const int engine = argc > 1 && strcmp(argv[1], "engine") == 0;
  if (argc < 2 || (!engine && strcmp(argv[1], "failed-load") != 0)) {
    fprintf(stderr, "usage: %s engine|failed-load\n", argv[0]);
    return 2;
  }
  if (!make_installation(engine)) {
    fprintf(stderr, "cannot make a temporary installation under %s\n", root);
    return 2;
  }
  failed =
      engine ? tmengine_c_smoke(message, sizeof message) : failed_load(message, sizeof message);
  if (engine && !failed && tmengine__ReleaseSharedResources() != TMENGINE_OK) {
    snprintf(message, sizeof message, "releasing the shared resources failed");
    failed = 1;
  }
  if (chdir("/") == 0) nftw(root, remove_entry, 16, FTW_DEPTH | FTW_PHYS);
  if (failed) fprintf(stderr, "FAILED: %s\n", message);
  return failed;
}

#endif
