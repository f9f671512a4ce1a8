// The whole pipeline: any bytes as UTF-8 text through tmengine__TextToBuffer
// with the real installation built from data/, so that letter rules,
// lexicons, layers, durations, templates and the synthesizer all see fuzzed
// text, at pitch and speed references over their range. A run gives a
// well-formed WAVE image.
#include "engine/interface/tmengine.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {
Tamrin* g_engine = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  tm_fuzz::Initialize(argc, argv, {"-timeout=10", "-max_len=1024"});
  tm_fuzz::InstallRealData();
  tm_fuzz::Check(tmengine__LoadSharedResources() == 0, "the installation loads");
  tm_fuzz::Check(tmengine__New(&g_engine) == 0, "the engine starts");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tm_fuzz::NextInput();
  const std::string_view bytes = tm_fuzz::Bytes(data, size);
  // Pitch and speed references over their range, chosen by the input's size.
  const double reference = static_cast<double>(5 + size % 16) / 10.0;
  tm_fuzz::Check(tmengine__SetPitchReference(g_engine, reference) == 0 &&
                     tmengine__SetSpeedReference(g_engine, 2.5 - reference) == 0,
                 "references within their range are taken");
  tm_fuzz::Check(
      tm_fuzz::SpeakToBuffer(g_engine, std::string(bytes.substr(0, bytes.find('\0')))) == 0,
      "every text can be spoken");
  return 0;
}
