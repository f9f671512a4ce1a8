#include "tests/fuzz/FuzzSupport.h"

#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <sstream>

#include "engine/base/VLib.h"
#include "engine/interface/tmengine.h"
#include "platform/MessageBox.h"
#include "platform/mbrola/SynthChannel.h"
#include "tests/common/Installation.h"
#include "tools/scramble/DataFileWriter.h"

namespace tm_fuzz {
static std::unique_ptr<testing_support::TestInstallation> g_installation;

// Each default flag ("-name=value") the command line does not give goes first.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  static std::vector<std::string> args(*argv, *argv + *argc);
  // Findings are written where the run started, not in the scratch folder.
  const std::string flags[] = {
      "-timeout=" + std::to_string(kTarget.timeoutSeconds),
      "-max_len=" + std::to_string(kTarget.maxLen),
      "-artifact_prefix=" + std::filesystem::current_path().string() + "/"};
  for (const std::string& flag : flags) {
    const std::string name = flag.substr(0, flag.find('=') + 1);
    const auto given = [&name](const std::string& arg) { return arg.rfind(name, 0) == 0; };
    if (std::none_of(args.begin(), args.end(), given)) args.insert(args.begin() + 1, flag);
  }
  static std::vector<char*> pointers;
  for (std::string& arg : args) pointers.push_back(arg.data());
  pointers.push_back(nullptr);
  *argc = static_cast<int>(args.size());
  *argv = pointers.data();

  g_installation = std::make_unique<testing_support::TestInstallation>();
  platform::SetMessageSink([](const std::string&, const std::string&) {});
  std::atexit([] { g_installation.reset(); });
  if (kTarget.setUp != nullptr) kTarget.setUp();
  return 0;
}

// Each input starts with an empty error report and log: a long run must not fill the disk.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  VLib::RemoveErrorFile();
  std::remove(g_installation->path("log.txt").c_str());
  FuzzOne(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}

void LoadRealInstallation() {
  g_installation->Assemble();
  // Held loaded for the whole run: an engine unloads the library, and the
  // fuzzer's coverage counters of an unloaded one would point nowhere.
  dlopen((g_installation->dir() + "/bin/mbrola.so").c_str(), RTLD_NOW);
  Check(tmengine__LoadSharedResources() == 0, "the installation loads");
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

void Synthesise(formant::SynthChannel& channel, const std::string& phoneText, double ms) {
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
  Check(std::fabs(samples - ms * channel.Freq() / 1000.0) <= 1.0, "samples for the durations");
}

std::string WriteScratch(const std::string& relative, std::string_view bytes) {
  g_installation->write(relative, std::string(bytes));
  return g_installation->path(relative);
}

void Check(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

std::vector<std::string> Lines(std::string_view bytes, bool asText) {
  std::vector<std::string> lines;
  std::istringstream in{std::string(bytes)};
  for (std::string line; std::getline(in, line);) {
    if (asText && !in.eof() && !line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::string WriteScrambled(const std::string& relative, std::vector<std::string>& texts, int size) {
  std::string file;
  std::string record;
  const auto longest = static_cast<size_t>(scramble::MaxTextLength(size));
  for (std::string& text : texts) {
    text.resize(std::min(text.size(), longest));
    scramble::EncodeText(text, size, record);
    file += record;
  }
  return WriteScratch(relative, file);
}

}  // namespace tm_fuzz
