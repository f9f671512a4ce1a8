// Reading of the tools' UTF-8 text sources: lines, escapes and the strict
// conversion to Windows-1253, the code page of the engine's data files.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace scramble {

// One line of a source file and its line number (counted from 1).
struct SourceLine {
  int number = 0;
  std::string text;
};

// Splits a file's content into lines: a line feed ends a line, one carriage
// return before it is dropped, a last line without a line feed counts, and a
// UTF-8 byte-order mark at the start of the file is skipped.
std::vector<SourceLine> SplitLines(std::string_view content);

// Reads a whole file; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& content);

// Converts UTF-8 text to Windows-1253, character by character. False, with
// reason set, at the first malformed sequence, at a zero character, or at a
// character that the code page lacks (the reason names it as U+XXXX).
bool Utf8ToCodePage(std::string_view utf8, std::string& out, std::string& reason);

// Resolves the escapes of a payload line: "\n" line feed, "\r" carriage
// return, "\t" tab, "\\" backslash. False, with reason set, for any other
// character after a backslash and for a backslash that ends the line.
bool Unescape(std::string_view line, std::string& out, std::string& reason);

// The reverse of Unescape for line feed, carriage return and backslash (tabs
// stay literal): the text written back as one source line.
std::string Escape(std::string_view text);

// "file:line: reason", the form of every refusal of the tools.
std::string Located(const std::string& file, int line, const std::string& reason);

}  // namespace scramble
