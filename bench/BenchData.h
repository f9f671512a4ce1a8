// What the benchmarks that speak share: Greek text of a given length and an
// installation assembled from the build tree's data.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace bench {

// Sentences of ordinary Greek (UTF-8), with capitals, accents, marks and
// line ends.
constexpr const char* kGreekSentences[] = {
    "Καλημέρα σας, τι κάνετε σήμερα;\n",
    "Η θάλασσα ήταν ήρεμη και ο ουρανός καθαρός. ",
    "Αύριο το πρωί θα πάμε στην αγορά να αγοράσουμε ψωμί, τυρί και φρούτα. ",
    "Ο Γιώργος διαβάζει ένα βιβλίο για την ιστορία της πόλης! ",
    "Ευχαριστώ πολύ για τη βοήθειά σου· τα λέμε την Παρασκευή.\n",
    "ΠΡΟΣΟΧΗ: Τα παιδιά παίζουν στον κήπο μέχρι να νυχτώσει. ",
};

// The sentences in turn, cut to exactly characters characters (UTF-8).
inline std::string GreekText(std::size_t characters) {
  std::string text;
  std::size_t count = 0;
  for (std::size_t i = 0; count < characters; ++i) {
    const char* s = kGreekSentences[i % (sizeof kGreekSentences / sizeof *kGreekSentences)];
    for (; *s != '\0' && count < characters; ++count) {
      // One character: a lead byte and its continuation bytes.
      do {
        text += *s++;
      } while ((static_cast<unsigned char>(*s) & 0xC0) == 0x80);
    }
  }
  return text;
}

// Copies the build tree's data folders and config.txt into dir, with empty
// "logs" and "user" folders.
inline void AssembleInstallation(const std::filesystem::path& dir) {
  namespace fs = std::filesystem;
  fs::create_directories(dir / "logs");
  fs::create_directories(dir / "user");
  fs::copy_file(fs::path(TM_SOURCE_DIR) / "data" / "config.txt", dir / "config.txt");
  for (const char* folder : {"phones", "rules", "lexicon", "tristate", "v58", "voicefonts"}) {
    fs::copy(fs::path(TM_DATA_BUILD_DIR) / folder, dir / folder, fs::copy_options::recursive);
  }
}

}  // namespace bench
