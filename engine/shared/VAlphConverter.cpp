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
