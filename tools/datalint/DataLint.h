// tm_datalint: cross-checks the data of an installation directory, the way
// the engine will read it, and lists every problem found:
//  - "config.txt" can be read; the keys that the shared resources need are
//    set; every configured directory (keys ending in ".Directory") exists;
//  - names (directories, suffixes, file names, and the resource names of the
//    voice fonts) hold no carriage return and end with no blank;
//  - the phone table named by "Phones.Filename" decodes record by record;
//  - every resource that a voice font names is an existing file of its
//    pool's directory whose name ends with the pool's suffix (the engine
//    takes resources by their full file name, suffix included);
//  - every rule collection that a voice font names loads, and every
//    character that a font's "VM_Phonemizer.FileChain" can output is a
//    symbol of the phone table;
//  - a font's "VModuleChain.Modules" names registered modules only and runs
//    the layer, duration and intonation modules in the order they need (see
//    README.md).
// The voice fonts are the files of "VoiceFonts.Directory" ending in
// "VoiceFonts.Suffix"; without that directory no font is checked.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace datalint {

// Exit codes.
constexpr int kExitClean = 0;
constexpr int kExitProblems = 1;
constexpr int kExitUsage = 2;

// The problems of the installation at dir, one text each, in the order of
// the checks above. Paths in the texts are relative to dir.
std::vector<std::string> Lint(const std::string& dir);

// tm_datalint INSTALLATION_DIR: prints one line per problem on out; 0 when
// there is none, 1 otherwise, 2 for a wrong command line.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace datalint
