// The synthesizer's phone lines (platform/mbrola PhoneLine and the channel):
// any bytes as phone text. Every accepted line has its pitch points sorted
// and in range, and the shipped voice speaks the text in as many samples as
// the accepted lines' durations make (unknown phones as silence).
#include <cmath>

#include "platform/mbrola/SynthChannel.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {
// Longer texts are only parsed: their samples would take the time of a
// fuzzed input many times over.
constexpr double kLongestSpokenMs = 4000.0;
formant::SynthChannel g_channel;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  tm_fuzz::Initialize(argc, argv, {"-timeout=5", "-max_len=4096"});
  const std::string voice = std::string(TM_SOURCE_DIR) + "/data/voices/gr.voice";
  tm_fuzz::Check(g_channel.Init(voice.c_str(), nullptr, nullptr) == 0, "the shipped voice loads");
  g_channel.SetNoError(true);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes = tm_fuzz::Bytes(data, size);
  const std::string text(bytes.substr(0, bytes.find('\0')));
  double totalMs = 0.0;
  formant::PhoneLine line;
  for (const std::string& l : tm_fuzz::Lines(text)) {
    if (line.Parse(l) != formant::PhoneLine::Kind::kPhone) continue;
    totalMs += line.durationMs();
    double before = 0.0;
    for (const formant::PitchPoint& p : line.points()) {
      tm_fuzz::Check(p.percent >= before && p.percent <= 100.0, "points sorted within the phone");
      tm_fuzz::Check(p.f0 >= formant::PhoneLine::kMinF0 && p.f0 <= formant::PhoneLine::kMaxF0,
                     "pitch in range");
      before = p.percent;
    }
  }
  if (totalMs > kLongestSpokenMs) return 0;
  g_channel.Reset();
  const long samples = tm_fuzz::Synthesise(g_channel, text);
  const double expected = totalMs * g_channel.Freq() / 1000.0;
  tm_fuzz::Check(std::fabs(samples - expected) <= 1.0, "samples for the accepted durations");
  return 0;
}
