// Greek speech through the default voice font, end to end: a text of
// 10,000 characters of everyday Greek to a WAVE file through the full
// chain of an installation built from the build tree's data. Printed: the
// real-time factor (processing time over the duration of the speech), the
// same for `espeak-ng -v el` on the same text as a timing peer (installed
// from Debian when it is missing and the bench runs as root; only its
// timing is used), the load time of the shared resources and the peak
// memory of the process.
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/BenchData.h"
#include "engine/interface/tmengine.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kTextCharacters = 10000;
constexpr int kWaveHeader = 44;

// Everyday Greek: news, dialogue, numbers, abbreviations, capitals.
constexpr const char* kParagraphs[] = {
    "Καλημέρα σας! Σήμερα ο καιρός θα είναι ηλιόλουστος στην Αθήνα, με θερμοκρασία "
    "που θα φτάσει τους 28 βαθμούς το μεσημέρι. ",
    "Ο Γιώργος και η Μαρία πήγαν στο σούπερ μάρκετ για να αγοράσουν ψωμί, γάλα, "
    "φρούτα και λαχανικά, αλλά ξέχασαν το πορτοφόλι τους στο σπίτι. ",
    "Το τρένο για τη Θεσσαλονίκη φεύγει στις 10:30 από τον σταθμό Λαρίσης· τα "
    "εισιτήρια κοστίζουν 45 ευρώ το καθένα. ",
    "Πόσο καιρό μένεις στην Ελλάδα; Τρία χρόνια, και μου αρέσει πολύ η ζωή εδώ, "
    "ιδιαίτερα τα καλοκαίρια στα νησιά. ",
    "Το 2023 η εταιρεία είχε 1.250 υπαλλήλους και κέρδη 3,5 εκατομμυρίων ευρώ, "
    "σύμφωνα με την ετήσια έκθεση. ",
    "ΠΡΟΣΟΧΗ: Η είσοδος στο κτίριο επιτρέπεται μόνο με κάρτα. Για πληροφορίες "
    "καλέστε στο τηλ. 2101234567. ",
    "Η γιαγιά μου μαγειρεύει κάθε Κυριακή, π.χ. μουσακά, παστίτσιο ή γεμιστά, "
    "και όλη η οικογένεια μαζεύεται γύρω από το τραπέζι. ",
};

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// The seconds of speech in a 16-bit mono WAVE file (0 when it is none).
double WaveSeconds(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  unsigned char header[kWaveHeader] = {};
  if (!in.read(reinterpret_cast<char*>(header), kWaveHeader)) return 0.0;
  const unsigned rate = header[24] | header[25] << 8 | header[26] << 16 | header[27] << 24;
  const auto bytes = fs::file_size(path) - kWaveHeader;
  return rate == 0 ? 0.0 : static_cast<double>(bytes) / 2.0 / rate;
}

// The peer's real-time factor on the text file, or a negative value.
double PeerFactor(const fs::path& text, const fs::path& wave) {
  if (std::system("command -v espeak-ng > /dev/null 2>&1") != 0 && geteuid() == 0) {
    std::printf("installing espeak-ng from Debian as the timing peer...\n");
    std::fflush(stdout);
    std::system("DEBIAN_FRONTEND=noninteractive apt-get install -y -q espeak-ng > /dev/null 2>&1");
  }
  const std::string command =
      "espeak-ng -v el -w '" + wave.string() + "' -f '" + text.string() + "' 2> /dev/null";
  const auto start = Clock::now();
  if (std::system(command.c_str()) != 0) return -1.0;
  const double seconds = Seconds(Clock::now() - start);
  const double speech = WaveSeconds(wave);
  return speech > 0.0 ? seconds / speech : -1.0;
}

}  // namespace

int main() {
  const fs::path root = bench::TemporaryInstallation("bench_greek");
  if (root.empty()) return 1;

  std::string text;
  std::size_t characters = 0;
  for (std::size_t i = 0; characters < kTextCharacters; ++i) {
    const std::string p = kParagraphs[i % (sizeof kParagraphs / sizeof *kParagraphs)];
    text += p;
    for (const char c : p) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }
  std::ofstream(root / "text.txt") << text;

  int status = 0;
  const auto loadStart = Clock::now();
  const int loaded = tmengine__LoadSharedResources();
  const double loadMs = Seconds(Clock::now() - loadStart) * 1000.0;
  Tamrin* engine = nullptr;
  if (loaded != 0 || tmengine__New(&engine) != 0) {
    std::printf("the installation does not load: %d\n", loaded);
    status = 1;
  } else {
    const fs::path wave = root / "greek.wav";
    const auto start = Clock::now();
    const int r = tmengine_TextToFile(engine, text.c_str(), wave.c_str());
    const double seconds = Seconds(Clock::now() - start);
    const double speech = WaveSeconds(wave);
    const double ours = speech > 0.0 ? seconds / speech : -1.0;
    std::printf("text: %zu characters; speech %.1f s written in %.2f s (%d)\n", characters, speech,
                seconds, r);
    const double peer = PeerFactor(root / "text.txt", root / "peer.wav");
    std::printf("real-time factor: ZORVALIS %.4f", ours);
    if (peer > 0.0) {
      std::printf(", espeak-ng -v el %.4f (ZORVALIS %.1f times as fast)\n", peer, peer / ours);
    } else {
      std::printf(", espeak-ng -v el: not available\n");
    }
    tmengine__Delete(&engine);
  }
  tmengine__ReleaseSharedResources();
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("shared resources loaded in %.1f ms; peak memory %.1f MB\n", loadMs,
              static_cast<double>(usage.ru_maxrss) / 1024.0);
  fs::remove_all(root);
  return status;
}
