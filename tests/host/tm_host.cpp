// A small host of the engine for tests and benchmarks: it loads the shared
// resources of an installation, creates an engine, optionally selects a
// voice font, and writes the speech of a text (UTF-8) to a WAVE file through
// the programming interface.
//
//   tm_host [--install DIR] [-f voice-font] text... out.wav
//   tm_host [--install DIR] [-f voice-font] -o out.wav text...
//
// Without --install the engine uses the registered installation. With it,
// the engine uses DIR: the host registers DIR in a registry stand-in of its
// own (a temporary folder that XDG_CONFIG_HOME names while the host runs),
// so the user's own registration is neither read nor changed.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include "engine/interface/tmengine.h"

namespace {

int Fail(const char* call, int code) {
  char* text = nullptr;
  tmengine__GetLastError(&text);
  std::fprintf(stderr, "tm_host: %s: %d: %s\n", call, code, text != nullptr ? text : "");
  tmengine__FreeBuffer(&text);
  return 1;
}

int Usage() {
  std::fprintf(stderr,
               "usage: tm_host [--install DIR] [-f voice-font] text... out.wav\n"
               "       tm_host [--install DIR] [-f voice-font] -o out.wav text...\n");
  return 2;
}

// A registry stand-in in a temporary folder that names one installation,
// in use while the object lives.
class TemporaryRegistration {
 public:
  bool Register(const std::string& installation) {
    std::error_code ec;
    const std::filesystem::path dir = std::filesystem::absolute(installation, ec);
    if (ec || !std::filesystem::is_directory(dir, ec)) {
      std::fprintf(stderr, "tm_host: %s: not a directory\n", installation.c_str());
      return false;
    }
    std::string pattern = (std::filesystem::temp_directory_path(ec) / "tm_host.XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (ec || ::mkdtemp(name.data()) == nullptr) {
      std::fprintf(stderr, "tm_host: cannot create a temporary folder\n");
      return false;
    }
    root_ = std::string(name.data());
    const std::filesystem::path key = root_ / "Quenmoor" / "ZORVALIS";
    std::filesystem::create_directories(key, ec);
    std::ofstream(key / "path", std::ios::binary) << dir.lexically_normal().string();
    if (ec || !std::filesystem::is_regular_file(key / "path")) {
      std::fprintf(stderr, "tm_host: cannot register %s\n", dir.c_str());
      return false;
    }
    return ::setenv("XDG_CONFIG_HOME", root_.c_str(), 1) == 0;
  }
  ~TemporaryRegistration() {
    if (root_.empty()) return;
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }

 private:
  std::filesystem::path root_;
};

}  // namespace

int main(int argc, char** argv) {
  std::string font;
  std::string output;
  std::string installation;
  std::vector<std::string> words;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "-f") == 0 && i + 1 < argc) {
      font = argv[++i];
    } else if (std::strcmp(argv[i], "-o") == 0 && i + 1 < argc) {
      output = argv[++i];
    } else if (std::strcmp(argv[i], "--install") == 0 && i + 1 < argc) {
      installation = argv[++i];
    } else {
      words.emplace_back(argv[i]);
    }
  }
  // Without -o the last word names the output file.
  if (output.empty()) {
    if (words.size() < 2) return Usage();
    output = words.back();
    words.pop_back();
  }
  std::string text;
  for (const std::string& word : words) {
    if (!text.empty()) text += ' ';
    text += word;
  }

  TemporaryRegistration registration;
  if (!installation.empty() && !registration.Register(installation)) return 1;

  int r = tmengine__LoadSharedResources();
  if (r < 0) return Fail("tmengine__LoadSharedResources", r);
  Tamrin* engine = nullptr;
  r = tmengine__New(&engine);
  if (r < 0) {
    Fail("tmengine__New", r);
    tmengine__ReleaseSharedResources();
    return 1;
  }
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
