// Long Greek and English texts spoken to the sound card in passes (the
// virtual device set) against the same texts spoken to a buffer: the same
// phone string, the same duration and pitch points of every phone, and the
// same pauses.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "engine/base/VStr.h"
#include "engine/composer/Tamrin.h"
#include "engine/shared/TMShared.h"
#include "modules/vm_genpho.h"
#include "platform/Codepage.h"
#include "platform/waveout/VirtualWaveOut.h"
#include "tests/common/Installation.h"
#include "tests/engine/ComposerSeams.h"

namespace {

using platform::VirtualWaveOut;
using Samples = std::vector<int16_t>;
using Texts = std::vector<std::string>;

// Abbreviations, ellipses (joined, spaced and as one character), initials,
// decimal numbers, times, no-break spaces (U+00A0 and U+202F), a tab and a
// form feed between words: more than 3,000 characters.
const char* const kText =
    "Ο κ.\u00a0Παπαδόπουλος ήρθε π.χ. χθες το απόγευμα στο γραφείο, δηλ. λίγο μετά τις πέντε. "
    "Κρατούσε μια τσάντα με βιβλία, τετράδια, στυλό κ.λπ. και φαινόταν κουρασμένος... Η κα "
    "Γεωργίου τον ρώτησε αν ήθελε καφέ. Εκείνος είπε όχι. . . και κάθισε σιωπηλός δίπλα στο "
    "παράθυρο.\nΤο κείμενο της σελ.\u00a012 μιλά για την ιστορία της πόλης. Ο Γ. Παπαδάκης, ο "
    "καθηγητής που το έγραψε, δίδασκε στο πανεπιστήμιο για 3,5 χρόνια. Η θερμοκρασία έφτασε "
    "τους 38,7 βαθμούς, ενώ η υγρασία ήταν 45\u00a0%. Βλ. επίσης το παράρτημα στο τέλος του "
    "βιβλίου.\nΚαλά\u00a0ναι, αλλά τι θα γίνει με τα παιδιά; Τα παιδιά παίζουν στην αυλή από το "
    "πρωί μέχρι το βράδυ… Η μητέρα τους φωνάζει να μπουν μέσα, αλλά εκείνα δεν ακούνε. Ο "
    "πατέρας γυρίζει από τη δουλειά στις 7.30 μ.μ. και τρώνε όλοι μαζί.\nΤην επόμενη μέρα ο "
    "Α. Νικολάου τηλεφώνησε στο τηλ. 210\u202f1234567 για να κλείσει ραντεβού. Η γραμματέας "
    "του είπε ότι ο γιατρός δεν ήταν διαθέσιμος... Θα τον έπαιρνε πίσω το απόγευμα. Περίμενε "
    "υπομονετικά, διαβάζοντας εφημερίδα κ.ά. περιοδικά.\nΣτο χωριό η ζωή κυλά αργά. Οι γέροι "
    "κάθονται στο καφενείο και συζητούν για τον καιρό, τις ελιές, τα πρόβατα κ.λπ. Οι γυναίκες "
    "μαζεύονται στην πλατεία, δηλ. μπροστά στην εκκλησία, και λένε τα νέα της εβδομάδας. . . "
    "Τα παιδιά τρέχουν στα σοκάκια.\nΗ απόσταση από την πόλη είναι 12,5\u00a0χλμ. περίπου. Το "
    "λεωφορείο περνά δύο φορές τη μέρα, στις 8.15 π.μ. και στις 4.45 μ.μ. Όποιος το χάσει, "
    "περπατά ή περιμένει κάποιον γείτονα να τον πάρει με το αυτοκίνητο. Έτσι ήταν πάντα και "
    "έτσι θα είναι.\nΟ Δ. Κωνσταντίνου έγραψε ένα βιβλίο για το χωριό. Σε αυτό περιγράφει π.χ. "
    "τις γιορτές, τα έθιμα, τα τραγούδια... Η πρώτη έκδοση κυκλοφόρησε πριν από 25 χρόνια και "
    "πούλησε 1.500 αντίτυπα. Σήμερα το βιβλίο το βρίσκει κανείς μόνο σε παλαιοπωλεία.\nΚάθε "
    "καλοκαίρι έρχονται επισκέπτες από την Αθήνα και τη Θεσσαλονίκη. Νοικιάζουν δωμάτια, "
    "κολυμπούν στη θάλασσα, τρώνε ψάρι στις ταβέρνες. Οι ντόπιοι τους υποδέχονται με χαρά, "
    "αφού η τουριστική κίνηση φέρνει χρήματα στο χωριό. Το φθινόπωρο όμως όλα ησυχάζουν "
    "πάλι.\nΟ καιρός αλλάζει γρήγορα τον Οκτώβριο. Τη μια μέρα λιάζεται κανείς στην παραλία, "
    "την άλλη βρέχει καταρρακτωδώς... Οι ψαράδες δένουν τις βάρκες τους στο λιμάνι και "
    "περιμένουν. Η θάλασσα φουσκώνει, ο αέρας σφυρίζει, τα παράθυρα τρίζουν. Κανείς δεν βγαίνει "
    "έξω.\nΤον χειμώνα οι μέρες είναι μικρές. Το σκοτάδι πέφτει νωρίς, γύρω στις 5.30 μ.μ., και "
    "οι οικογένειες μαζεύονται γύρω από το τζάκι. Οι γιαγιάδες λένε παραμύθια, οι παππούδες "
    "θυμούνται τον πόλεμο. Τα παιδιά ακούνε με ανοιχτό το στόμα. Αυτά είναι τα χρόνια που δεν "
    "ξεχνιούνται.\nΤο\tπρωί\fτης Κυριακής η καμπάνα χτυπά νωρίς. Οι πιστοί ανεβαίνουν τον "
    "λόφο προς την εκκλησία, οι ηλικιωμένοι με αργά βήματα, οι νέοι βιαστικά... Μετά τη "
    "λειτουργία όλοι κάθονται στην πλατεία. Πίνουν καφέ, τρώνε γλυκά, συζητούν για την "
    "εβδομάδα που πέρασε. Ο κ.\u00a0Δήμαρχος χαιρετά έναν έναν τους χωριανούς.\nΤέλος, ο κ. "
    "Παπαδόπουλος έφυγε από το γραφείο χωρίς να πει τίποτα. Κανείς δεν ήξερε γιατί είχε έρθει. "
    "Ίσως ήθελε απλώς να δει παλιούς φίλους. Ίσως πάλι ήθελε να πει κάτι σημαντικό, αλλά δεν "
    "βρήκε το θάρρος. Ποιος ξέρει;";

// English with the same kinds of text: about 1,000 characters.
const char* const kEnglishText =
    "Mr.\u00a0Smith came home at 5.30 p.m. and said nothing... His wife, Mrs. Jones, asked "
    "him why. He said: \"Ask Dr. Brown, e.g. at the office. . . or call him.\" J. Smith, "
    "his son, laughed. The boy was 12 years old and 1.45 m tall.\nThe next day the family "
    "drove to the lake, about 20\u202fkm away. They swam, they ate, they slept in the sun\u2026 "
    "At 6 o'clock it began to rain. Everybody ran to the car, and the dog jumped in "
    "first.\tNobody minded.\fThe rain stopped after an hour. The sky turned red, then dark "
    "blue, and the first stars came out. Mr. Smith lit a fire; the children told stories. "
    "Was it the best day of the summer? Maybe it was. Nobody wanted to go home, but at 10 "
    "p.m. they did. On the way back the children fell asleep, one after the other. Mrs. Jones "
    "drove, and Mr. Smith looked at the dark fields. At home the house was cold and quiet. "
    "He carried the children to their beds, one by one, and sat down in the kitchen with a "
    "cup of tea. It had been a long day... A good one, too. Tomorrow they would work again.";

// Greek sentences joined without a blank after their full stops, as text
// is often pasted: nearly 1,000 characters with no ". " to end a pass
// before the text's own end.
const char* const kJoinedText =
    "Ο ήλιος λάμπει πάνω από τη θάλασσα.Καλημέρα σε όλους.Τα παιδιά παίζουν στην αυλή από "
    "το πρωί.Η μητέρα μαγειρεύει φασόλια και ψήνει ψωμί.Ο πατέρας διαβάζει την εφημερίδα στο "
    "μπαλκόνι.Τα πουλιά τραγουδούν στα δέντρα του κήπου.Πού είναι ο σκύλος;Κοιμάται κάτω από "
    "το τραπέζι.Το απόγευμα θα πάμε όλοι μαζί στην παραλία.Η γιαγιά λέει ιστορίες για τα παλιά "
    "χρόνια.Ο παππούς κάθεται στο καφενείο με τους φίλους του.Η θάλασσα είναι ήσυχη και "
    "καθαρή.Οι ψαράδες γυρίζουν στο λιμάνι με τις βάρκες τους.Τι ωραία μέρα!Το βράδυ ανάβουμε "
    "φωτιά και τρώμε ψάρι στην αυλή.Τα αστέρια λάμπουν στον ουρανό πάνω από το χωριό.Οι "
    "γείτονες έρχονται να πουν μια καλησπέρα.Κάποιος παίζει κιθάρα και οι άλλοι τραγουδούν.Τα "
    "μικρά παιδιά αποκοιμιούνται στην αγκαλιά της μητέρας τους.Καληνύχτα σε όλους.Αύριο θα "
    "είναι πάλι μια όμορφη μέρα.Ο ήλιος θα λάμψει ξανά πάνω από τη θάλασσα.Οι βάρκες θα βγουν "
    "νωρίς για ψάρεμα.Τα παιδιά θα τρέξουν πάλι στην αυλή και η μητέρα θα τα φωνάξει για φαγητό.";

// A voice font's chain with a probe behind the phone-text generator.
std::string Probed(const std::string& font) {
  std::istringstream in(font);
  std::string line, out;
  const std::string key = "VModuleChain.Modules=";
  const std::string generator = ";VM_GeneratorPHO";
  while (std::getline(in, line)) {
    const std::size_t at = line.find(generator);
    if (line.rfind(key, 0) == 0 && at != std::string::npos) {
      line.insert(at + generator.size(), ";Probe");
    }
    out += line + "\n";
  }
  return out;
}

// A pause: a run of at least this many silent samples (100 ms at 22050 Hz),
// longer than the closure of any stop; silent: at most this far from zero
// (a voice may breathe through its pauses).
constexpr std::size_t kPauseSamples = 2205;
constexpr int kQuiet = 64;
// How far a pause heard may differ from the file's: the synthesizer's
// fades at the ends of a pass (10 ms).
constexpr long kPauseSlack = 220;

// The lengths of the pauses, in order, from the first sound to the last.
std::vector<long> Pauses(const Samples& samples) {
  std::vector<long> pauses;
  std::size_t first = 0;
  auto silent = [](int16_t s) { return s >= -kQuiet && s <= kQuiet; };
  while (first < samples.size() && silent(samples[first])) ++first;
  std::size_t run = 0;
  for (std::size_t i = first; i < samples.size(); ++i) {
    if (silent(samples[i])) {
      ++run;
      continue;
    }
    if (run >= kPauseSamples) pauses.push_back(static_cast<long>(run));
    run = 0;
  }
  return pauses;
}

// One line of a phone text: the symbol, the duration (ms) and the pitch
// points (percent, Hz).
struct PhoLine {
  std::string symbol;
  long ms = 0;
  std::vector<std::pair<long, long>> points;
  bool beforeCut = false;  // the last line with points of a pass more speech follows
};

// The lines of a phone text between its opening and its closing silence.
std::vector<PhoLine> PhoLines(const std::string& pho) {
  std::vector<PhoLine> lines;
  std::istringstream in(pho);
  std::string text;
  std::getline(in, text);  // the opening silence
  while (std::getline(in, text)) {
    if (in.eof()) break;  // the closing silence has no line end
    std::istringstream fields(text);
    PhoLine line;
    fields >> line.symbol >> line.ms;
    char open = 0, comma = 0, close = 0;
    std::pair<long, long> point;
    while (fields >> open >> point.first >> comma >> point.second >> close) {
      line.points.push_back(point);
    }
    lines.push_back(line);
  }
  return lines;
}

// The opening and closing silences of a phone text (ms): the pause at the
// end of a pass that more speech follows is written shorter by both.
constexpr long kEdgeSilences = 120;

// The phone texts of the passes as one: each pass's closing pause, written
// less the two edge silences, at its full length again.
std::vector<PhoLine> JoinedPhoLines(const Texts& passes) {
  std::vector<PhoLine> joined;
  for (std::size_t i = 0; i < passes.size(); ++i) {
    std::vector<PhoLine> lines = PhoLines(passes[i]);
    if (i + 1 < passes.size() && !lines.empty()) {
      if (lines.back().symbol == "_") lines.back().ms += kEdgeSilences;
      for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
        if (line->points.empty()) continue;
        line->beforeCut = true;
        break;
      }
    }
    joined.insert(joined.end(), lines.begin(), lines.end());
  }
  return joined;
}

// How far a pitch point heard may lie from the file's: the whole hertz the
// phone text rounds to.
constexpr long kPitchSlack = 1;
// The last point before a cut, too, as far as the whole text's smoothing
// draws it toward the next sentence's first rise, which its pass cannot
// know yet (a few hertz at most).
constexpr long kCutPitchSlack = 4;

// Every phone of the passes with the file's symbol, duration and pitch.
void ExpectSamePhones(const std::vector<PhoLine>& heard, const std::vector<PhoLine>& filed) {
  ASSERT_EQ(heard.size(), filed.size());
  for (std::size_t i = 0; i < heard.size(); ++i) {
    SCOPED_TRACE("phone " + std::to_string(i));
    EXPECT_EQ(heard[i].symbol, filed[i].symbol);
    EXPECT_EQ(heard[i].ms, filed[i].ms);
    ASSERT_EQ(heard[i].points.size(), filed[i].points.size());
    const std::size_t points = heard[i].points.size();
    for (std::size_t k = 0; k < points; ++k) {
      const bool cut = heard[i].beforeCut && k + 1 == points;
      EXPECT_EQ(heard[i].points[k].first, filed[i].points[k].first);
      EXPECT_NEAR(heard[i].points[k].second, filed[i].points[k].second,
                  cut ? kCutPitchSlack : kPitchSlack)
          << "point " << k;
    }
  }
}

class SpeechPassesThreadsTest : public testing::Test {
 protected:
  SpeechPassesThreadsTest() {
    inst_.Assemble();
    for (const char* font : {"default.vof", "english.vof"}) {
      inst_.Font(std::string("probed_") + font,
                 Probed(testing_support::ReadFile(inst_.path("voicefonts/") + font)));
    }
    // A device that plays 500 times faster than real time.
    devices_.SetClock(VirtualWaveOut::Clock::kScaled, 500.0);
    EXPECT_EQ(shared_.Load(), 0);
    composer_.SetShared(&shared_);
    EXPECT_EQ(composer_.Init("probed_default.vof", 1, 0), 0);
    auto* probe = new engine_testing::HookModule("Probe");
    probe->onRun = [this, probe] {
      phones_.push_back(probe->LastText());
      pho_.push_back(VM_GeneratorPHO::Find(probe->PeekComposer())->GetPho());
      return true;
    };
    EXPECT_TRUE(composer_.RegisterModule(probe));
  }
  ~SpeechPassesThreadsTest() override { composer_.Finalize(); }

  // Waits (a minute at most) until the device has heard every sample
  // written; the samples of the blocks from the first'th on.
  Samples Heard(std::size_t first) {
    std::vector<VirtualWaveOut::Block> blocks;
    testing_support::WaitUntil(
        [&] {
          blocks = devices_.Blocks();
          std::size_t written = 0, heard = 0;
          for (const VirtualWaveOut::Block& block : blocks) {
            written += block.written;
            heard += block.samples.size();
          }
          return heard == written;
        },
        std::chrono::minutes(1));
    Samples samples;
    for (std::size_t i = first; i < blocks.size(); ++i) {
      samples.insert(samples.end(), blocks[i].samples.begin(), blocks[i].samples.end());
    }
    return samples;
  }

  testing_support::Installation inst_;
  VirtualWaveOut devices_;
  TMShared shared_;
  engine_testing::TestTamrin composer_;
  Texts phones_;  // the phone string of every run or pass
  Texts pho_;     // the phone text of every run or pass
};

TEST_F(SpeechPassesThreadsTest, ALongTextSoundsThroughTheSpeakersAsInTheFile) {
  // name, font, text, its least length in characters, its least number of
  // passes (sentences joined without a blank are one pass)
  const std::tuple<const char*, const char*, const char*, std::size_t, std::size_t> cases[] = {
      {"Greek", "probed_default.vof", kText, 3000, 10},
      {"Greek, sentences joined", "probed_default.vof", kJoinedText, 950, 1},
      {"English", "probed_english.vof", kEnglishText, 1000, 3},
  };
  for (const auto& [name, font, utf8, length, passes] : cases) {
    SCOPED_TRACE(name);
    ASSERT_EQ(composer_.SetCharacter(font), 0);
    const std::string text = platform::Utf8ToCp1253(utf8);
    ASSERT_GE(text.size(), length);
    phones_.clear();
    pho_.clear();
    char* block = nullptr;
    long size = 0;
    ASSERT_EQ(composer_.SpeakToBuffer(text, false, &block, &size), 0);
    const Samples file(reinterpret_cast<int16_t*>(block),
                       reinterpret_cast<int16_t*>(block) + size / 2);
    VStr::Release(&block);
    ASSERT_EQ(phones_.size(), 1u);
    const std::string whole = phones_[0];
    const std::vector<PhoLine> filedPho = PhoLines(pho_[0]);

    phones_.clear();
    pho_.clear();
    const std::size_t first = devices_.Blocks().size();
    ASSERT_EQ(composer_.Speak(text, true), 0);
    EXPECT_GE(phones_.size(), passes);  // passes at sentence ends
    std::string joined;
    for (const std::string& pass : phones_) joined += pass;
    EXPECT_EQ(platform::Cp1253ToUtf8(joined), platform::Cp1253ToUtf8(whole));
    ExpectSamePhones(JoinedPhoLines(pho_), filedPho);

    const std::vector<long> heard = Pauses(Heard(first)), filed = Pauses(file);
    ASSERT_EQ(heard.size(), filed.size());
    for (std::size_t i = 0; i < heard.size(); ++i) {
      EXPECT_NEAR(heard[i], filed[i], kPauseSlack) << "pause " << i;
    }
  }
}

}  // namespace
