// What the benchmarks that speak share: Greek text of a given length and an
// installation assembled from the build tree and registered.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/Registry.h"

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

// A complete installation in dir from the build tree: config.txt, the data
// folders with the voices, bin/mbrola.so (when the benchmark knows the built
// library) and empty "logs" and "user" folders where the data has none.
inline void AssembleInstallation(const std::filesystem::path& dir) {
  namespace fs = std::filesystem;
  const fs::path source = fs::path(TM_SOURCE_DIR) / "data";
  for (const char* folder : {"bin", "logs", "user", "voices"}) fs::create_directories(dir / folder);
  fs::copy_file(source / "config.txt", dir / "config.txt", fs::copy_options::overwrite_existing);
  for (const char* folder :
       {"phones", "rules", "lexicon", "user", "tristate", "v58", "voicefonts", "voices"}) {
    const fs::path built = fs::path(TM_DATA_BUILD_DIR) / folder;
    if (fs::exists(built)) {
      fs::copy(built, dir / folder,
               fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    }
  }
#ifdef TM_MBROLA_LIBRARY
  fs::copy_file(TM_MBROLA_LIBRARY, dir / "bin" / "mbrola.so", fs::copy_options::overwrite_existing);
#endif
}

// Registers dir as the installation in a registry stand-in under root,
// which this process and its children use from then on.
inline void RegisterInstallation(const std::filesystem::path& root,
                                 const std::filesystem::path& dir) {
  setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
  platform::RegistrySetValue("Software\\Quenmoor\\ZORVALIS", "path", dir.string());
}

// A new folder /tmp/<name>.XXXXXX with an assembled installation in its
// "install" folder, registered; the empty path when no folder can be made.
// The caller removes the folder.
inline std::filesystem::path TemporaryInstallation(const std::string& name) {
  std::string pattern = "/tmp/" + name + ".XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) return {};
  const std::filesystem::path root = pattern;
  AssembleInstallation(root / "install");
  RegisterInstallation(root, root / "install");
  return root;
}

}  // namespace bench
