// The synthesizer's voice files (platform/mbrola FormantVoice): any bytes as
// a voice file, read from text and bound by the channel from a file.
#include <filesystem>

#include "platform/mbrola/SynthChannel.h"
#include "tests/fuzz/FuzzSupport.h"

static formant::SynthChannel g_channel;
static int g_inputs = 0;

const tm_fuzz::Target tm_fuzz::kTarget{5, 4096, nullptr};

void tm_fuzz::FuzzOne(std::string_view bytes) {
  formant::FormantVoice voice;
  std::string error;
  const bool parsed = voice.Parse(bytes, "fuzz", error);
  Check(parsed == error.empty(), "a refusal says why");
  // A new name every time: the channel keeps voices by name and date.
  const std::string path = WriteScratch("v" + std::to_string(++g_inputs % 8), bytes);
  const bool bound = g_channel.Init(path.c_str(), nullptr, nullptr) == 0;
  Check(bound == parsed, "the file and the text read alike");
  std::string text = "_ 20\n";
  double totalMs = 20.0;
  formant::PhoneLine line;
  for (size_t i = 0; parsed && i < voice.phones().size() && i < 4; ++i) {
    const std::string& symbol = voice.phones()[i].symbol;
    Check(voice.Find(symbol) != nullptr, "every phone is found");
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
  Synthesise(g_channel, text, bound ? totalMs : 0.0);  // samples only from a bound voice
  std::filesystem::remove(path);
}
