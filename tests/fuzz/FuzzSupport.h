// What every fuzz target shares: libFuzzer's entry points over a scratch
// installation (the engine's log and error report land there, message boxes
// are dropped), the target's default flags, and the invariant check.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class Tamrin;
namespace formant {
class SynthChannel;
}

namespace tm_fuzz {

// Each target defines its flags and set-up, and what it does with an input.
struct Target {
  int timeoutSeconds;  // -timeout unless given: a slow input is a hang for the user
  int maxLen;          // -max_len unless given
  void (*setUp)();     // after the scratch installation, or null
};
extern const Target kTarget;
void FuzzOne(std::string_view bytes);

// Ends the run (as a crash that libFuzzer records) when ok is false.
void Check(bool ok, const char* what);

// Fills the scratch installation with the real one built from data/ and
// loads its shared resources.
void LoadRealInstallation();

// Speaks text (UTF-8) to a buffer: a WAVE image whose header gives its
// sizes, or after a failure no block. Gives the result code.
int SpeakToBuffer(Tamrin* engine, const std::string& text);

// Writes phone text to the channel (reading samples whenever its queue is
// full), ends the stream and reads everything: samples within the
// synthesizer's limit, as many as ms of sound make.
void Synthesise(formant::SynthChannel& channel, const std::string& phoneText, double ms);

// The input cut at line feeds (a last line without one counts); asText: a
// line ended by a line feed loses one carriage return, as readers do.
std::vector<std::string> Lines(std::string_view bytes, bool asText = false);

// Write a file of the scratch installation and give its path: the bytes, or
// the texts as scrambled records of size bytes (each text first cut to the
// longest that fits).
std::string WriteScratch(const std::string& relative, std::string_view bytes);
std::string WriteScrambled(const std::string& relative, std::vector<std::string>& texts, int size);

}  // namespace tm_fuzz
