// Replaces the English words that a tree lexicon knows by their value and
// converts every other word through a letter-to-sound rule collection. Keys:
// "VM_UsEnglish.Lexicon" (a tree lexicon), "VM_UsEnglish.L2s" (a rule
// collection) and "VM_UsEnglish.Delimiters". The text is normalised first.
#pragma once

#include "modules/vm_wordreplacer.h"

class CRuleCollection;

class VM_UsEnglish : public VM_WordReplacer {
 public:
  VM_UsEnglish();

  const CRuleCollection* GetL2s() const { return l2s_; }

 protected:
  // Takes the letter-to-sound collection; a name that the rule pool lacks is
  // reported and fails the set-up.
  bool BindMore() override;
  void ForgetMore() override { l2s_ = nullptr; }
  // The word's conversion through the letter-to-sound collection; the word
  // unchanged while there is no collection.
  void AppendUnknown(const std::string& word, std::string& out) const override;

 private:
  const CRuleCollection* l2s_ = nullptr;
};
