// Readers of the engine's data files: scrambled records of a fixed size
// (see engine/Descrambler.h) or plain text lines.
#pragma once

#include <fstream>
#include <istream>
#include <optional>
#include <string>

namespace VLib {

// The error-report texts of the readers; each is followed by the file's name.
constexpr const char* kReadErrorText = "Error reading file ";
constexpr const char* kBandwidthErrorText = "bandwidth error in file ";
constexpr const char* kMalformedEntryText = "malformed entry in file ";

// Opens name for reading: in binary mode when scrambled, else as text. A name
// that is not a regular file gives the error report "Error reading file "
// and the name, and false. A stream that is already open is not reopened but
// put in its failed state. True when the stream is then in a good state.
bool OpenDataFile(const char* name, std::ifstream& in, bool scrambled);

// Reads one entry of size bytes from in, naming fileName in its reports.
// - A stream that is not in a good state gives false at once.
// - A size that holds no entry (below 1; in plain mode below 2) puts the
//   stream in its failed state and gives false.
// - Plain mode: *out receives a new block of size bytes (a block that it
//   held is released first; the new one is the caller's, to be released
//   with VStr::Release, whatever the result) holding the next line
//   without its line feed (and without one carriage return before it), at
//   most size - 1 characters; a longer line is continued by the next call.
//   True when at least one character, the line feed included, was consumed.
// - Scrambled mode: reads exactly size bytes. Nothing left gives false.
//   A short read reports "bandwidth error in file " and the name and gives
//   false. A record that does not decode reports "malformed entry in file "
//   and the name and gives false, with *out unchanged; the stream stays
//   good, so the next call reads the next record. A decoded record replaces
//   the block in *out (released first) with the payload and one extra
//   terminating zero byte.
bool ReadDataEntry(std::istream& in, int size, char** out, bool scrambled,
                   const std::string& fileName);

// The same for a stream whose name is not known: the reports name the
// stream as "(unnamed stream)".
bool ReadDataEntry(std::istream& in, int size, char** out, bool scrambled);

// The same, giving the entry's text (up to its first zero byte), or nothing
// when the call gives false.
std::optional<std::string> ReadDataText(std::istream& in, int size, bool scrambled,
                                        const std::string& fileName);

}  // namespace VLib
