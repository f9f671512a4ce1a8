// The configuration line forms, each with the name and value it stores:
// shared by the tests of the line splitter and of the configuration reader.
#pragma once

namespace testing_support {

struct ConfigurationLine {
  const char* line;
  bool stored;
  const char* name;
  const char* value;
};

inline constexpr ConfigurationLine kConfigurationLines[] = {
    {"Logger.Directory=logs", true, "Logger.Directory", "logs"},
    {"key = value", true, "key ", " value"},
    {"a=b=c", true, "a", "b=c"},
    {"x=1 # note", true, "x", "1 "},
    {"x=\"a # b\"", true, "x", "a # b"},
    {"x=\"a\"#c", true, "x", "a"},
    {"x=a\"#b", true, "x", "a\""},
    {"x=\\\"a#b\"", true, "x", "\\\"a"},
    {"x=a\\#b", true, "x", "a\\#b"},
    {"x=\"abc\\\"", true, "x", "\"abc\\\""},
    {"=v", true, "", "v"},
    {"# whole line", false, "", ""},
    {"no assignment here", false, "", ""},
    {"", false, "", ""},
    {"k=", true, "k", ""},
    {"k=\"\"", true, "k", ""},
    {"k=\"", true, "k", "\""},
    {"#k=v", false, "", ""},
    {"k=v#", true, "k", "v"},
    {"\tk\t=\tv\t", true, "\tk\t", "\tv\t"},
    {"p=C:\\dir\\file", true, "p", "C:\\dir\\file"},
    {"x=\"a\" # \"b\"", true, "x", "\"a\" "},
    {"x=\"a\" \"#\" b", true, "x", "\"a\" \"#\" b"},
};

}  // namespace testing_support
