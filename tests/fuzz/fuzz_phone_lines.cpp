// The synthesizer's phone lines (platform/mbrola PhoneLine and the channel):
// any bytes as phone text, spoken by the shipped voice.
#include "platform/mbrola/SynthChannel.h"
#include "tests/fuzz/FuzzSupport.h"

// Longer texts are only parsed: their samples would take the time of a
// fuzzed input many times over.
constexpr double kLongestSpokenMs = 4000.0;
static formant::SynthChannel g_channel;

static void SetUp() {
  const std::string voice = std::string(TM_SOURCE_DIR) + "/data/voices/gr.voice";
  tm_fuzz::Check(g_channel.Init(voice.c_str(), nullptr, nullptr) == 0, "the shipped voice loads");
  g_channel.SetNoError(true);
}

const tm_fuzz::Target tm_fuzz::kTarget{5, 4096, SetUp};

void tm_fuzz::FuzzOne(std::string_view bytes) {
  const std::string text(bytes.substr(0, bytes.find('\0')));
  double totalMs = 0.0;
  formant::PhoneLine line;
  for (const std::string& l : Lines(text)) {
    if (line.Parse(l) != formant::PhoneLine::Kind::kPhone) continue;
    totalMs += line.durationMs();
    double before = 0.0;
    for (const formant::PitchPoint& p : line.points()) {
      Check(p.percent >= before && p.percent <= 100.0, "points sorted within the phone");
      Check(p.f0 >= formant::PhoneLine::kMinF0 && p.f0 <= formant::PhoneLine::kMaxF0,
            "pitch in range");
      before = p.percent;
    }
  }
  if (totalMs > kLongestSpokenMs) return;
  g_channel.Reset();
  Synthesise(g_channel, text, totalMs);  // as many samples as the accepted durations make
}
