// Replaces the words that a user lexicon knows, after normalising the text
// (Latin capitals to lower case, '?' to the Greek question mark ';'). Keys:
// "VM_User_ToGreek.Lexicon" (a user lexicon) and "VM_User_ToGreek.Delimiters".
#pragma once

#include "modules/vm_wordreplacer.h"

class VM_UserToGreek : public VM_WordReplacer {
 public:
  VM_UserToGreek()
      : VM_WordReplacer("VM_UserToGreek",
                        {"VM_User_ToGreek.Lexicon", "VM_User_ToGreek.Delimiters", false, true}) {}
};
