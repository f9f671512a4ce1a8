// A small host of the engine for tests and benchmarks: it loads the shared
// resources of the registered installation, creates an engine, optionally
// selects a voice font, and writes the speech of a text (UTF-8) to a WAVE
// file through the programming interface.
//
//   tm_host [-f voice-font] -o out.wav text...
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/tmengine.h"

namespace {

int Fail(const char* call, int code) {
  char* text = nullptr;
  tmengine__GetLastError(&text);
  std::fprintf(stderr, "tm_host: %s: %d: %s\n", call, code, text != nullptr ? text : "");
  tmengine__FreeBuffer(&text);
  return 1;
}

int Usage() {
  std::fprintf(stderr, "usage: tm_host [-f voice-font] -o out.wav text...\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string font;
  std::string output;
  std::string text;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-f") == 0 && i + 1 < argc) {
      font = argv[++i];
    } else if (std::strcmp(argv[i], "-o") == 0 && i + 1 < argc) {
      output = argv[++i];
    } else {
      if (!text.empty()) text += ' ';
      text += argv[i];
    }
  }
  if (output.empty()) return Usage();

  int r = tmengine__LoadSharedResources();
  if (r < 0) return Fail("tmengine__LoadSharedResources", r);
  Tamrin* engine = nullptr;
  r = tmengine__New(&engine);
  if (r < 0) return Fail("tmengine__New", r);
  int status = 0;
  if (!font.empty() && (r = tmengine__SelectVoiceFont(engine, font.c_str())) < 0) {
    status = Fail("tmengine__SelectVoiceFont", r);
  } else if ((r = tmengine_TextToFile(engine, text.c_str(), output.c_str())) < 0) {
    status = Fail("tmengine_TextToFile", r);
  }
  if ((r = tmengine__Delete(&engine)) < 0) status = Fail("tmengine__Delete", r);
  if ((r = tmengine__ReleaseSharedResources()) < 0) {
    status = Fail("tmengine__ReleaseSharedResources", r);
  }
  if (status == 0) std::printf("%s\n", output.c_str());
  return status;
}
