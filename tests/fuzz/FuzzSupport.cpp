#include "tests/fuzz/FuzzSupport.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

#include "engine/base/VLib.h"
#include "engine/interface/tmengine.h"
#include "platform/MessageBox.h"
#include "platform/mbrola/SynthChannel.h"
#include "tests/common/Installation.h"
#include "tools/scramble/DataFileWriter.h"

namespace tm_fuzz {
namespace fs = std::filesystem;
namespace {

std::unique_ptr<testing_support::TestInstallation> g_installation;
std::string g_installationDir;

}  // namespace

void Initialize(int* argc, char*** argv, std::initializer_list<const char*> defaults) {
  static std::vector<std::string> args(*argv, *argv + *argc);
  // Findings are written where the run started, not in the scratch folder.
  const std::string artifacts = "-artifact_prefix=" + fs::current_path().string() + "/";
  std::vector<std::string> flags(defaults.begin(), defaults.end());
  flags.push_back(artifacts);
  for (const std::string& flag : flags) {
    const std::string name = flag.substr(0, flag.find('=') + 1);
    bool given = false;
    for (const std::string& arg : args) given = given || arg.rfind(name, 0) == 0;
    if (!given) args.insert(args.begin() + 1, flag);
  }
  static std::vector<char*> pointers;
  for (std::string& arg : args) pointers.push_back(arg.data());
  pointers.push_back(nullptr);
  *argc = static_cast<int>(args.size());
  *argv = pointers.data();

  g_installation = std::make_unique<testing_support::TestInstallation>();
  g_installationDir = g_installation->dir();
  platform::SetMessageSink([](const std::string&, const std::string&) {});
  std::atexit([] { g_installation.reset(); });
}

const std::string& Installation() { return g_installationDir; }

void InstallRealData() {
  g_installation->Assemble();
  // Held loaded for the whole run: an engine unloads the library when it
  // ends, and the fuzzer's coverage counters of an unloaded library would
  // point into unmapped memory.
  dlopen((g_installationDir + "/bin/mbrola.so").c_str(), RTLD_NOW);
}

int SpeakToBuffer(Tamrin* engine, const std::string& text) {
  char* block = nullptr;
  long size = 0;
  const int result = tmengine__TextToBuffer(engine, text.c_str(), 1, &block, &size);
  if (result < 0) {
    Check(block == nullptr && size == 0, "no output from a failed run");
    return result;
  }
  auto le32 = [block](int at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(block[at + i]);
    return static_cast<long>(v);
  };
  Check(block != nullptr && size >= 44 && size % 2 == 0, "a WAVE image of whole samples");
  Check(std::memcmp(block, "RIFF", 4) == 0 && std::memcmp(block + 8, "WAVE", 4) == 0 &&
            std::memcmp(block + 36, "data", 4) == 0,
        "the WAVE header's marks");
  Check(le32(4) == size - 8 && le32(40) == size - 44, "the WAVE header gives the sizes");
  tmengine__FreeBuffer(&block);
  return result;
}

long Synthesise(formant::SynthChannel& channel, const std::string& phoneText) {
  long samples = 0;
  int16_t block[4096];
  auto drain = [&] {
    for (int got; (got = channel.Read(block, 4096)) > 0;) {
      samples += got;
      for (int i = 0; i < got; ++i) {
        Check(std::abs(block[i]) <= formant::FormantSynth::kLimit, "samples within the limit");
      }
    }
  };
  for (const std::string& line : Lines(phoneText)) {
    const std::string text = line + "\n";
    while (channel.Write(text.c_str()) == 0) drain();
  }
  channel.Flush();
  drain();
  return samples;
}

std::string WriteScratch(const std::string& relative, std::string_view bytes) {
  const std::string path = g_installationDir + "/" + relative;
  testing_support::WriteFile(path, std::string(bytes));
  return path;
}

void NextInput() {
  VLib::RemoveErrorFile();
  std::remove((g_installationDir + "/log.txt").c_str());
}

void Check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

std::vector<std::string> Lines(std::string_view bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) end = bytes.size();
    lines.emplace_back(bytes.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

std::vector<std::string> TextLines(std::string_view bytes) {
  std::vector<std::string> lines = Lines(bytes);
  for (size_t i = 0; i < lines.size(); ++i) {
    const bool endedByLineFeed = i + 1 < lines.size() || bytes.back() == '\n';
    if (endedByLineFeed && !lines[i].empty() && lines[i].back() == '\r') lines[i].pop_back();
  }
  return lines;
}

std::string WriteScrambled(const std::string& relative, const std::vector<std::string>& texts,
                           int size) {
  std::string file;
  std::string record;
  const auto longest = static_cast<size_t>(scramble::MaxTextLength(size));
  for (const std::string& text : texts) {
    scramble::EncodeText(text.substr(0, longest), size, record);
    file += record;
  }
  return WriteScratch(relative, file);
}

}  // namespace tm_fuzz
