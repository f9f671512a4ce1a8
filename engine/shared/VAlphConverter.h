// Converts a text through an ordered chain of letter-conversion rule
// collections of the shared VSR_AC pool. Each converting module owns one
// converter, binds it to the collection names of its settings and converts
// through it. The collections stay the pool's; a converter keeps only its
// list of them, and conversions use no shared scratch state, so any number
// of converters may convert through the same collections at once.
#pragma once

#include <string>
#include <vector>

#include "engine/composer/VComponent.h"

class CRuleCollection;
class TMShared;

class VAlphConverter : public VComponent {
 public:
  // The number that the report of a missing collection names after its
  // file name: a fixed text of the report, not a line of the file; keep it
  // as it is.
  static constexpr int kMissingCollectionLine = 66;
  // The characters that separate the names of a chain.
  static constexpr const char* kNameDelimiters = "-\n";

  VAlphConverter() : VComponent("VAlphConverter") {}
  ~VAlphConverter() = default;
  VAlphConverter(const VAlphConverter&) = delete;
  VAlphConverter& operator=(const VAlphConverter&) = delete;

  // Empties the list; 1.
  int ClearRuleCollections();

  // Rebuilds the list from names separated by '-' or newlines, taking each
  // collection by its exact full file name from the holder's VSR_AC pool.
  // The first empty name ends the list (so a separator that ends the text
  // adds nothing, and "a--b" refers to a only); a name may repeat, and its
  // collection is then applied once per occurrence. 1 on success; -1 at the
  // first name that the pool lacks (reported with the source place and the
  // name), keeping the collections before it. A null holder is reported
  // and gives -1 with an empty list.
  int ReferToRuleCollections(const char* names, TMShared* shared);

  // Converts text through the list: the first collection converts the
  // first length characters of text (a length above the number of
  // characters plus one counts as that; a negative one as the whole text),
  // every later one the whole output of the one before. *result receives a
  // new text that the caller releases with VStr::Release, or null when the
  // list is empty (what it held before is overwritten, not released). text
  // is not changed; a null text reads as the empty text. Always 1.
  int Convert(const char* text, int length, char** result) const;

  // Convert with the length of text plus one (the terminating zero counted).
  int ConvertString(const char* text, char** result) const;

  // The collections referred to, in order.
  const std::vector<const CRuleCollection*>& Collections() const { return collections_; }

  // The conversion (as ConvertString makes it) of a text that grows at its
  // end, brought up to date at the cost of the new end: each collection
  // resumes where the text it reads is still final, so feeding a text in
  // pieces and converting after each costs time in proportion to the whole
  // text, not to its square. It refers to the converter's list as it is
  // when it is made.
  class Growing {
   public:
    explicit Growing(const VAlphConverter& converter);
    // Appends more to the text.
    void Append(const std::string& more);
    // The raw text so far.
    const std::string& Text() const { return text_; }
    // The conversion of the text so far; "" with an empty list.
    const std::string& Converted();

   private:
    // What one collection has made of its input: its output, and the step
    // (input position, output size) where it resumes on a grown input.
    struct Stage {
      std::string out;
      std::size_t position = 0;
      std::size_t output = 0;
    };
    std::vector<const CRuleCollection*> collections_;
    std::string text_;
    std::vector<Stage> stages_;
  };

 private:
  std::vector<const CRuleCollection*> collections_;
};
