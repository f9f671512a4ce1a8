// tm_scramble: writes a scrambled data file from a UTF-8 text source (one
// record per line) and dumps such a file back as a source.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace scramble {

// Exit codes of the tools.
constexpr int kExitOk = 0;
constexpr int kExitRefused = 1;  // a refused input or an unwritable output
constexpr int kExitUsage = 2;

// True, after a line on err, when output is "-", which command lines use
// for standard output: a data file is binary and goes to a named file only.
// The tools ask before they read anything or remove an earlier output, so a
// file that happens to be named "-" is never touched.
bool RefusesStandardOutput(const std::string& tool, const std::string& output, std::ostream& err);

// Reads a record size argument: one of 500, 400 or 120. False, with error
// set, for anything else.
bool ParseRecordSize(const std::string& text, int& size, std::string& error);

// The texts (in Windows-1253) of a payload source: one per line, escapes
// resolved. Appends one "file:line: reason" to errors per refused line (a
// malformed or unconvertible line, a text that does not fit a record of
// size bytes); the result is complete only when errors stays empty.
std::vector<std::string> ReadPayloadSource(const std::string& file, const std::string& content,
                                           int size, std::vector<std::string>& errors);

// write SOURCE OUTPUT SIZE: compiles the source into the data file.
int Write(const std::string& source, const std::string& output, int size, std::ostream& err);

// dump FILE SIZE: prints every record's text as one UTF-8 source line
// (escaped as the source format wants); a record that does not decode, or
// a short one at the end, is reported on err and makes the result
// kExitRefused, while the other records are still printed.
int Dump(const std::string& file, int size, std::ostream& out, std::ostream& err);

// The command line without the program name.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace scramble
