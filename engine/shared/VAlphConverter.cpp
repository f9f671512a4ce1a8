#include "engine/shared/VAlphConverter.h"

#include "engine/base/VLib.h"
#include "engine/base/VStr.h"
#include "engine/shared/TMShared.h"
#include "support/alphconv.h"

int VAlphConverter::ClearRuleCollections() {
  collections_.clear();
  return 1;
}

int VAlphConverter::ReferToRuleCollections(const char* names, TMShared* shared) {
  collections_.clear();
  const char* cursor = names;
  for (;;) {
    char* token = VStr::NextToken(&cursor, kNameDelimiters);
    if (VStr::IsEmpty(token)) {
      VStr::Release(&token);
      return 1;
    }
    const std::string name(token);
    VStr::Release(&token);
    if (shared == nullptr) {
      VLib::ReportError("VAlphConverter::ReferToRuleCollections");
      return -1;
    }
    const CRuleCollection* collection = shared->GetAC()->Find(name);
    if (collection == nullptr) {
      VLib::ReportError(std::string(__FILE__) + ":" + std::to_string(kMissingCollectionLine) +
                        "\n\t" + name);
      return -1;
    }
    collections_.push_back(collection);
  }
}

int VAlphConverter::Convert(const char* text, int length, char** result) const {
  if (result == nullptr) return 1;
  if (collections_.empty()) {
    *result = nullptr;
    return 1;
  }
  std::string current = text != nullptr ? text : "";
  // A length beyond the text converts the characters and the terminating
  // zero (the collection reads no further).
  int count = length < 0 ? -1 : length;
  for (const CRuleCollection* collection : collections_) {
    const std::string converted = collection->convertToString(current, count);
    // The next collection converts the output up to its terminating zero.
    current.assign(converted.c_str());
    count = -1;
  }
  *result = VStr::Duplicate(current.c_str());
  return 1;
}

int VAlphConverter::ConvertString(const char* text, char** result) const {
  return Convert(text, VStr::Length(text) + 1, result);
}

VAlphConverter::Growing::Growing(const VAlphConverter& converter)
    : collections_(converter.Collections()), stages_(collections_.size()) {}

void VAlphConverter::Growing::Append(const std::string& more) { text_ += more; }

const std::string& VAlphConverter::Growing::Converted() {
  static const std::string kNone;
  if (stages_.empty()) return kNone;
  // The first collection converts the terminating zero too (as
  // ConvertString counts it), the later ones their input up to it; the
  // outputs hold no zero. Of each input, only what the stage before settled
  // is final.
  const std::string* input = &text_;
  std::size_t count = text_.size() + 1;
  std::size_t stable = text_.size();
  for (std::size_t i = 0; i < stages_.size(); ++i) {
    Stage& stage = stages_[i];
    const CRuleCollection::Step settled = collections_[i]->convertFrom(
        input->c_str(), count, stable, CRuleCollection::Step{stage.position, stage.output},
        stage.out);
    stage.position = settled.position;
    stage.output = settled.output;
    input = &stage.out;
    count = stage.out.size();
    stable = stage.output;
  }
  return stages_.back().out;
}
