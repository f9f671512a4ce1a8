#include "modules/vm_grgrammar.h"

#include <algorithm>

#include "engine/base/Log.h"
#include "engine/data/FeatureNames.h"
#include "engine/data/VMLDS.h"
#include "engine/data/VTextBuffer.h"
#include "engine/shared/TMShared.h"

namespace {

constexpr const char* kExceptionsKey = "VM_GrGrammar.Exceptions";
constexpr const char* kEndingsKey = "VM_GrGrammar.Endings";
// The characters between the words of the filtered text.
constexpr const char* kDelimiters = " .,!;?";

}  // namespace

VM_GrGrammar::VM_GrGrammar() : VModule("VM_GrGrammar") {}

bool VM_GrGrammar::ReleaseResources() {
  endings_ = nullptr;
  exceptions_ = nullptr;
  return true;
}

bool VM_GrGrammar::SetUp() {
  ReleaseResources();
  VComposer* composer = GetComposer();
  TMShared* shared = composer != nullptr ? composer->GetShared() : nullptr;
  if (shared == nullptr) return true;
  const VSR_TreeLexicon* pool = shared->GetTreeLexicon();
  exceptions_ = pool->Find(FontParameter(kExceptionsKey));
  endings_ = pool->Find(FontParameter(kEndingsKey));
  return true;
}

bool VM_GrGrammar::Run() {
  VComposer* composer = GetComposer();
  VMLDS* mlds = composer != nullptr ? composer->GetMLDS() : nullptr;
  VLayer* words = mlds != nullptr ? mlds->GetLayer(layers::kWord) : nullptr;
  if (words == nullptr) {
    Log::Error2(__FILE__, ": Word layer required");
    return false;
  }
  const std::string& text = composer->GetFilteredText()->Str();
  std::size_t cursor = 0;
  for (int i = 0; i < words->Size() && cursor < text.size();) {
    const std::size_t end = std::min(text.find_first_of(kDelimiters, cursor), text.size());
    const std::string word = text.substr(cursor, end - cursor);
    cursor = end + 1;
    if (word.empty()) continue;
    const std::string grammar = GrammarOf(word);
    if (!grammar.empty()) words->SetFeature(i, features::kGrammar, grammar.c_str());
    ++i;
  }
  return true;
}

std::string VM_GrGrammar::GrammarOf(const std::string& word) const {
  std::string value;
  if (exceptions_ != nullptr) {
    exceptions_->Lookup(word, &value);
    if (!value.empty()) return value;
  }
  if (endings_ == nullptr) return std::string();
  for (std::size_t from = 0; from < word.size(); ++from) {
    endings_->Lookup(word.substr(from), &value);
    if (!value.empty()) return value;
  }
  return std::string();
}
