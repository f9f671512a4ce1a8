// The common algorithm of the word replacers (VM_UserToGreek,
// VM_User_ToPhones, VM_UsEnglish): the working text is split into words at
// the module's delimiter characters, each word that the module's lexicon
// knows is replaced by the lexicon's value, and the text is put together
// again with every delimiter in its place. What differs between the modules
// is their policy: the keys, the pool of the lexicon, whether the text is
// normalised first (Latin capitals to lower case, '?' to ';'), and what
// becomes of a word that the lexicon lacks (copied here; VM_UsEnglish
// converts it through its letter-to-sound rules).
//
// A word is looked up exactly as it stands between two delimiters; two
// delimiters in a row make an empty word, and an empty delimiter set makes
// the whole text one word.
#pragma once

#include <string>

#include "engine/composer/VModule.h"

class LexTree;

class VM_WordReplacer : public VModule {
 public:
  struct Policy {
    const char* lexiconKey;     // names the lexicon in its pool
    const char* delimitersKey;  // each character of the value is a delimiter
    bool treeLexicon;           // the lexicon is a tree lexicon, else a user lexicon
    bool normalise;             // normalise every character before splitting
  };

  VM_WordReplacer(const std::string& name, const Policy& policy);

  // Both forget the resources and the delimiters; true.
  bool ReleaseResources() override;
  bool Init() override;
  // Empties the delimiters, takes the lexicon that the current font names
  // (none when its pool lacks the name; nothing is reported), binds what
  // else the module needs (BindMore; a false answer ends the set-up with
  // false) and reads the delimiters. True otherwise.
  bool SetUp() override;
  // Rewrites the working text word by word; true.
  bool Run() override;
  bool Release() override { return true; }

  const std::string& GetDelimiters() const { return delimiters_; }
  const LexTree* GetLexicon() const { return lexicon_; }

 protected:
  // Binds what the module needs besides its lexicon; false fails the set-up
  // before the delimiters are read.
  virtual bool BindMore() { return true; }
  // Forgets what BindMore bound.
  virtual void ForgetMore() {}
  // Appends a word that the lexicon does not know: unchanged.
  virtual void AppendUnknown(const std::string& word, std::string& out) const { out += word; }

 private:
  void Forget();

  Policy policy_;
  const LexTree* lexicon_ = nullptr;
  std::string delimiters_;
};
