#include "app/ProductInfo.h"

namespace product {

const char* Description(bool greek) {
  if (greek) {
    return "ZORVALIS Varudu Zovivari\n\n"
           "Πρόγραμμα μετατροπής κειμένου σε ομιλία για ελληνικά (και αγγλικά) κείμενα.\n\n"
           "Πληκτρολογήστε ένα κείμενο στη λευκή περιοχή του κύριου παραθύρου και πατήστε "
           "«Speak!». Με τους ολισθητές ρυθμίζετε τον τόνο και την ταχύτητα της φωνής, από τη "
           "λίστα διαλέγετε χαρακτήρα, και το κείμενο μπορεί να αποθηκευτεί ως αρχείο WAVE.\n\n"
           "Η μηχανή ομιλίας Tamrin περνά το κείμενο από μια αλυσίδα επεξεργασίας: κανόνες "
           "μετατροπής γραμμάτων, λεξικά, συλλαβές, λέξεις και φράσεις, διάρκειες και "
           "επιτονισμό. Ο δικός μας συνθέτης formant μετατρέπει τα φωνήματα σε ήχο.";
  }
  return "ZORVALIS Varudu Zovivari\n\n"
         "A text-to-speech program for Greek (and English) text.\n\n"
         "Type a text into the white area of the main window and press \"Speak!\". The sliders "
         "set the pitch and the speed of the voice, the list chooses a character, and the text "
         "can be saved as a WAVE file.\n\n"
         "The Tamrin speech engine runs the text through a chain of processing steps: "
         "letter-conversion rules, lexicons, syllables, words and phrases, durations and "
         "intonation. Our own formant synthesizer turns the phones into sound.";
}

const char* TermsOfUse(bool greek) {
  if (greek) {
    return "ΟΡΟΙ ΧΡΗΣΗΣ\n\n"
           "1. ZORVALIS Varudu Zovivari\n"
           "Το πρόγραμμα διατίθεται «ως έχει», χωρίς καμία εγγύηση. Μπορείτε να το "
           "χρησιμοποιείτε για προσωπικούς και εκπαιδευτικούς σκοπούς. Οι δημιουργοί δεν "
           "ευθύνονται για οποιαδήποτε ζημία προκύψει από τη χρήση του.\n\n"
           "2. Η φωνή\n"
           "Τα δεδομένα φωνής (το αρχείο της φωνής και οι πίνακες φωνημάτων) είναι δημιουργία "
           "του έργου ZORVALIS. Επιτρέπεται η χρήση τους μόνο μαζί με το πρόγραμμα· η ηχογράφηση "
           "και η διανομή της παραγόμενης ομιλίας επιτρέπεται χωρίς περιορισμό.\n\n"
           "3. Ο συνθέτης ομιλίας\n"
           "Ο συνθέτης formant του έργου (bin/mbrola.so) υλοποιεί τη διεπαφή συνθέτη που "
           "χρησιμοποιεί η μηχανή. Διατίθεται με τους ίδιους όρους με το πρόγραμμα.";
  }
  return "TERMS OF USE\n\n"
         "1. ZORVALIS Varudu Zovivari\n"
         "The program is provided \"as is\", without any warranty. You may use it for personal "
         "and educational purposes. Its authors are not liable for any damage that its use may "
         "cause.\n\n"
         "2. The voice\n"
         "The voice data (the voice file and the phone tables) were made by the ZORVALIS "
         "project. They may be used only together with the program; the speech it produces may "
         "be recorded and passed on without restriction.\n\n"
         "3. The speech synthesizer\n"
         "The project's formant synthesizer (bin/mbrola.so) implements the synthesizer interface "
         "that the engine uses. It is provided on the same terms as the program.";
}

}  // namespace product
