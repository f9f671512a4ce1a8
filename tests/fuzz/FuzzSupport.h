// What every fuzz target shares: its default libFuzzer flags (the per-input
// time limit above all: a slow input is a hang for the user), a scratch
// installation registered for the process so that the engine's log and
// error report land there and message boxes are dropped, and the check that
// ends the run on a broken invariant.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

class Tamrin;
namespace formant {
class SynthChannel;
}

namespace tm_fuzz {

// To be called from LLVMFuzzerInitialize: adds each default flag
// ("-name=value") that the command line does not give, and sets up the
// scratch installation.
void Initialize(int* argc, char*** argv, std::initializer_list<const char*> defaults);

// The scratch installation directory (empty until Initialize).
const std::string& Installation();

// Fills the scratch installation with the real one built from data/: the
// configuration, the compiled resources, the voice and bin/mbrola.so.
void InstallRealData();

// Speaks text (UTF-8) to a buffer with the engine and checks what comes
// back: on success a WAVE image whose header gives its sizes, on failure no
// block at all. Gives the result code.
int SpeakToBuffer(Tamrin* engine, const std::string& text);

// Writes phone text to the synthesizer's channel (reading samples whenever
// its queue is full), ends the stream and reads everything; every sample
// stays within the synthesizer's limit. Gives the count of samples.
long Synthesise(formant::SynthChannel& channel, const std::string& phoneText);

// Writes bytes to a file of the scratch installation and gives its path.
std::string WriteScratch(const std::string& relative, std::string_view bytes);

// Starts an input: the error report file and the engine log are emptied so
// that a long run does not fill the disk.
void NextInput();

// Ends the run (as a crash that libFuzzer records) when ok is false.
void Check(bool ok, const char* what);

inline std::string_view Bytes(const uint8_t* data, size_t size) {
  return std::string_view(reinterpret_cast<const char*>(data), size);
}

// The input cut at line feeds (a last line without one counts).
std::vector<std::string> Lines(std::string_view bytes);
// The same as the readers of text files take them: a line ended by a line
// feed loses one carriage return before it.
std::vector<std::string> TextLines(std::string_view bytes);

// Writes the texts as scrambled records of size bytes (a text that does not
// fit cut to the longest that does) to a file of the scratch installation
// and gives its path.
std::string WriteScrambled(const std::string& relative, const std::vector<std::string>& texts,
                           int size);

}  // namespace tm_fuzz
