#include "app/Texts.h"

#include "app/ProductInfo.h"

bool g_bGreek = true;

namespace texts {

std::string String(int id) {
  switch (id) {
    case 1:
      return "Speak!";
    case 2:
      return "Stop!";
    case 4:
      return "Save to wave file!";
    case 5:
      return "About ZORVALIS...";
    case 6:
      return product::kSupportAddress;
    case 7:
      return "Exit";
    case 8:
      return "Πατήστε εδώ για Ελληνική διεπαφή χρήστη.";
    case 9:
      return "Click here for English user interface.";
    default:
      return std::string();
  }
}

const DialogLabels& Labels(bool greek) {
  static const DialogLabels kGreek = {
      "Ένταση",  "Τόνος",  "Ταχύτητα",  "Χαρακτήρας",
      "Περί...", "ΕΞΟΔΟΣ", "Επαναφορά", "Πληκτρολογήστε εδώ το κείμενό σας."};
  static const DialogLabels kEnglish = {"Volume",   "Pitch", "Speed", "Character",
                                        "About...", "EXIT",  "Reset", "Type your text here."};
  return greek ? kGreek : kEnglish;
}

const char* EmptyTextPrompt(bool greek) {
  return greek ? "Πληκτρολογήστε πρώτα κάποιο κείμενο στην λευκή περιοχή κάτω από το λογότυπο του "
                 "ΖΟΡΒΑΛΙ."
               : "Please enter your text on the white text area below ZORVALIS logo.";
}

const char* Mp3Refusal(bool greek) {
  return greek ? "Δεν υποστηρίζεται ακόμα η δημιουργία αρχείων Mp3. Η δυνατότητα θα προστεθεί σε "
                 "επόμενη έκδοση."
               : "Mp3 file creation is not supported yet. To be added in future release.";
}

const char* CharacterWarning(bool greek) {
  return greek ? "Μην αλλάζετε χαρακτήρες όσο ο ΖΟΡΒΑΛΙΣ μιλάει. Αυτό θα διορθωθεί σε επόμενη "
                 "έκδοση."
               : "Do not change characters as long as ZORVALIS is speaking. To be fixed in future "
                 "release.";
}

std::string NoLinkHandler(bool greek, const std::string& url) {
  return std::string(greek ? "Κανένα πρόγραμμα της επιφάνειας εργασίας δεν ανοίγει τη διεύθυνση:"
                           : "No program on this desktop opens the address:") +
         "\n" + url;
}

std::string StartFailed(bool greek, const std::string& error) {
  return std::string(greek
                         ? "Η μηχανή ομιλίας δεν ξεκίνησε: τα κοινά της αρχεία δεν φορτώθηκαν. Το "
                           "πρόγραμμα θα κλείσει."
                         : "The speech engine did not start: its shared resources did not load. "
                           "The program will close.") +
         "\n" + error;
}

}  // namespace texts
