// tm_phonetable: compiles the readable phone-table source into the engine's
// scrambled phone table, and lints it on the way.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace phonetable {

// The engine reads the phone table in records of this size.
constexpr int kRecordSize = 500;
// The column that tells the engine which characters are phones.
constexpr const char* kPhoneColumn = "phone";

// A parsed source, in Windows-1253: the column names, then one row of
// fields per phone (field 0 holds the phone's one-character symbol).
struct PhoneTableSource {
  std::vector<std::string> columns;
  std::vector<std::vector<std::string>> rows;
};

// Parses and lints a source. Appends one "file:line: reason" to errors per
// fault found; the table is usable only when errors stays empty.
PhoneTableSource ParseSource(const std::string& file, const std::string& content,
                             std::vector<std::string>& errors);

// The record texts of the table: the column names, then one text per row,
// each as its fields joined by tabs and closed by one more tab (so that the
// engine, which cuts at tabs, sees exactly the fields written).
std::vector<std::string> RecordTexts(const PhoneTableSource& table);

// compile SOURCE OUTPUT: lints and writes the scrambled table.
int Compile(const std::string& source, const std::string& output, std::ostream& err);
// check SOURCE: lints only.
int Check(const std::string& source, std::ostream& err);
// The command line without the program name.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace phonetable
