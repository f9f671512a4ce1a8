// The word forms of a hunspell dictionary (.dic with its .aff): every stem
// with the prefixes and suffixes its flags allow, in Windows-1253.
#pragma once

#include <string>
#include <vector>

namespace greeklex {

// Reads dicPath and affPath. The dictionary's encoding comes from the SET
// line of the affix file (ISO8859-7 or UTF-8; Windows-1253 is taken as it
// is). Single-character flags are understood (the Greek dictionary's kind);
// a suffix or prefix applies when its condition (characters, [set], [^set],
// '.') matches the end or start of the stem. Words come in file order,
// repeated forms included. On failure, error says why and the result is
// empty.
std::vector<std::string> ReadHunspellWords(const std::string& dicPath, const std::string& affPath,
                                           std::string& error);

}  // namespace greeklex
