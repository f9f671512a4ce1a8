#include "modules/vm_wordation.h"

#include <string>

#include "engine/data/FeatureNames.h"
#include "engine/data/VLayer.h"
#include "engine/data/VTextBuffer.h"
#include "engine/data/_token_.h"
#include "engine/shared/PhoneFeature.h"
#include "engine/shared/TMShared.h"

VM_LayerWord::VM_LayerWord() : VModule("VM_LayerWord") {}

VM_LayerWord::~VM_LayerWord() { lexicon_ = nullptr; }

bool VM_LayerWord::ReleaseResources() {
  lexicon_ = nullptr;
  return true;
}

bool VM_LayerWord::Init() {
  lexicon_ = nullptr;
  CreateLayer(layers::kWord, layers::kWordHint);
  return true;
}

bool VM_LayerWord::SetUp() {
  lexicon_ = nullptr;
  if (TMShared* shared = Shared())
    lexicon_ = shared->GetTreeLexicon()->Find(FontParameter(kLexiconKey));
  return true;
}

bool VM_LayerWord::Run() {
  VLayer* words = Layer(layers::kWord);
  VComposer* composer = GetComposer();
  if (words == nullptr || composer == nullptr) return true;
  words->Reset();
  VTextBuffer* text = composer->GetText();
  PhoneFeature isPhone(PhoneTable(), phone_features::kPhone);

  char* first = text->GetData();
  const int length = text->GetLength();
  int start = -1;
  std::string entry;
  for (int i = 0; i < length; ++i) {
    if (isPhone(first[i])) {
      if (start < 0) start = i;
      continue;
    }
    if (start < 0) continue;
    _token_ word(first + start, first + i - 1);
    if (lexicon_ != nullptr) {
      lexicon_->Lookup(std::string(first + start, first + i), &entry);
      if (!entry.empty()) word.SetFlag(entry.c_str());
    }
    words->Add(word);
    start = -1;
  }

  VLayer* syllables = Layer(layers::kSyllable);
  if (syllables == nullptr) return true;
  for (const _token_* word : words->Tokens()) {
    syllables->SetFeature(syllables->locate(word->GetStart()), features::kWord, features::kStart);
    syllables->SetFeature(syllables->locate(word->GetEnd()), features::kWord, features::kFin);
  }
  return true;
}

bool VM_LayerWord::Release() { return true; }
