// The synthesizer's voice files (platform/mbrola FormantVoice): any bytes as
// a voice file, read from text and bound by the channel from a file. Both
// readers agree; a bound voice speaks a few of its phones in as many samples
// as their durations make, and a refused one gives no sample at all.
#include <cmath>
#include <filesystem>

#include "platform/mbrola/SynthChannel.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {
formant::SynthChannel g_channel;
int g_inputs = 0;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  tm_fuzz::Initialize(argc, argv, {"-timeout=5", "-max_len=4096"});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes = tm_fuzz::Bytes(data, size);
  formant::FormantVoice voice;
  std::string error;
  const bool parsed = voice.Parse(bytes, "fuzz", error);
  tm_fuzz::Check(parsed == error.empty(), "a refusal says why");
  // A new name every time: the channel keeps voices by name and date.
  const std::string path = tm_fuzz::WriteScratch("v" + std::to_string(++g_inputs % 8), bytes);
  const bool bound = g_channel.Init(path.c_str(), nullptr, nullptr) == 0;
  tm_fuzz::Check(bound == parsed, "the file and the text read alike");
  std::string text = "_ 20\n";
  double totalMs = 20.0;
  formant::PhoneLine line;
  for (size_t i = 0; parsed && i < voice.phones().size() && i < 4; ++i) {
    const std::string& symbol = voice.phones()[i].symbol;
    tm_fuzz::Check(voice.Find(symbol) != nullptr, "every phone is found");
    // Symbols that phone text cannot carry as they stand (a zero byte ends
    // the text handed to the channel) are left out.
    const std::string phone = symbol + " 35 (0,100) (100,180)";
    if (symbol.find('\0') != std::string::npos ||
        line.Parse(phone) != formant::PhoneLine::Kind::kPhone || line.symbol() != symbol) {
      continue;
    }
    text += phone + "\n";
    totalMs += 35.0;
  }
  const long samples = tm_fuzz::Synthesise(g_channel, text);
  const double expected = bound ? totalMs * g_channel.Freq() / 1000.0 : 0.0;
  tm_fuzz::Check(std::fabs(samples - expected) <= 1.0, "samples only from a bound voice");
  std::filesystem::remove(path);
  return 0;
}
