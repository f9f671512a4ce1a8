// Writing of the engine's scrambled data files: one text per record of a
// fixed size (the reverse of engine/shared/Descrambler.h).
#pragma once

#include <string>
#include <vector>

namespace scramble {

// The record sizes of the engine's readers: the phone table 500, the V58
// prosodic templates 400, the tri-state rules and tree lexicons 120.
bool IsRecordSize(int size);
// "500, 400 or 120", for messages.
std::string RecordSizeList();

// The number of payload bytes that the record holds at most, the text's
// terminating zero included: with the body of 6 + M bytes (M the payload
// and its check byte) rounded up to L, a multiple of 10, 6 + L <= size.
int MaxPayload(int size);

// The longest text (without its terminating zero) that a record holds.
int MaxTextLength(int size);

// The record of size bytes that holds payload as it stands: the length L in
// six decimal digits, the enciphered body (the length M in six decimal
// digits, the payload, its check byte, zero bytes up to L), then zero
// bytes. False when the payload does not fit.
bool EncodeRecord(const std::string& payload, int size, std::string& record);

// The same for a text: the payload is the text and a terminating zero byte.
bool EncodeText(const std::string& text, int size, std::string& record);

// Writes texts (in Windows-1253) as consecutive records of size bytes to
// path: first to a temporary file next to it, renamed over path when
// complete. False, with error set and no file left at path, when a text
// does not fit (error names its index) or the file cannot be written.
bool WriteDataFile(const std::string& path, const std::vector<std::string>& texts, int size,
                   std::string& error);

// Removes path if it exists (a stale output of an earlier run).
void RemoveOutput(const std::string& path);

}  // namespace scramble
