#include "modules/vm_wordreplacer.h"

#include "engine/base/VLib.h"
#include "engine/data/VTextBuffer.h"
#include "engine/shared/TMShared.h"

VM_WordReplacer::VM_WordReplacer(const std::string& name, const Policy& policy)
    : VModule(name), policy_(policy) {}

void VM_WordReplacer::Forget() {
  lexicon_ = nullptr;
  delimiters_.clear();
  ForgetMore();
}

bool VM_WordReplacer::ReleaseResources() {
  Forget();
  return true;
}

bool VM_WordReplacer::Init() {
  Forget();
  return true;
}

bool VM_WordReplacer::SetUp() {
  // A set-up that fails below must not leave the delimiters of the font
  // before.
  delimiters_.clear();
  lexicon_ = nullptr;
  VComposer* composer = GetComposer();
  TMShared* shared = composer != nullptr ? composer->GetShared() : nullptr;
  if (shared != nullptr) {
    const std::string name = FontParameter(policy_.lexiconKey);
    lexicon_ = policy_.treeLexicon ? shared->GetTreeLexicon()->Find(name)
                                   : shared->GetVUserLexicon()->Find(name);
  }
  if (!BindMore()) return false;
  delimiters_ = FontParameter(policy_.delimitersKey);
  return true;
}

bool VM_WordReplacer::Run() {
  VComposer* composer = GetComposer();
  if (composer == nullptr) return true;
  VTextBuffer* buffer = composer->GetText();
  std::string text = buffer->Str();
  if (policy_.normalise) {
    for (char& c : text) VLib::NormalizeChar(&c);
  }
  std::string out;
  out.reserve(text.size());
  std::string value;
  std::size_t cursor = 0;
  while (cursor < text.size()) {
    const std::size_t end = text.find_first_of(delimiters_, cursor);
    const std::string word = text.substr(cursor, end == std::string::npos ? end : end - cursor);
    value.clear();
    if (lexicon_ != nullptr) lexicon_->Lookup(word, &value);
    if (!value.empty()) {
      out += value;
    } else {
      AppendUnknown(word, out);
    }
    if (end == std::string::npos) break;
    out += text[end];
    cursor = end + 1;
  }
  buffer->SetText(out);
  return true;
}
