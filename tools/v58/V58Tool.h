// tm_v58: expands the readable description of the V58 templates into the
// engine's template file (every template of every phrase type), checking
// each template on the way, and checks existing template files.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace v58 {

// Exit codes.
constexpr int kExitOk = 0;
constexpr int kExitRefused = 1;  // a refused input or an unwritable output
constexpr int kExitUsage = 2;

// The column names of a phone-table source (UTF-8); false, with the
// source's faults in errors, when it cannot be read or has faults.
bool ReadPhoneColumns(const std::string& phoneSource, std::vector<std::string>& columns,
                      std::vector<std::string>& errors);

// compile PHONES SOURCE OUTPUT: expands, checks and writes the scrambled
// template file (records of 400 bytes). Nothing is left at OUTPUT when
// anything is refused.
int Compile(const std::string& phoneSource, const std::string& source, const std::string& output,
            std::ostream& err);

// check PHONES FILE: reads a scrambled template file and checks it.
int CheckFile(const std::string& phoneSource, const std::string& file, std::ostream& err);

// The command line without the program name.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace v58
