#include "modules/vm_phrasation.h"

#include <string>

#include "engine/base/Log.h"
#include "engine/data/FeatureNames.h"
#include "engine/data/VLayer.h"
#include "engine/data/VTextBuffer.h"
#include "engine/data/_token_.h"
#include "engine/shared/PhoneFeature.h"

VM_LayerPhrase::VM_LayerPhrase() : VModule("VM_LayerPhrase") {}

bool VM_LayerPhrase::ReleaseResources() { return true; }

bool VM_LayerPhrase::Init() {
  CreateLayer(layers::kPhrase, layers::kPhraseHint);
  return true;
}

bool VM_LayerPhrase::SetUp() { return true; }

const char* VM_LayerPhrase::TypeOf(char breakCharacter) {
  switch (breakCharacter) {
    case '!':
      return features::kExclamation;
    case ',':
    case '/':
      return features::kComma;
    case '.':
      return features::kStop;
    case ';':
      return features::kQuestion;
    default:
      return "";
  }
}

bool VM_LayerPhrase::Run() {
  VLayer* phrases = Layer(layers::kPhrase);
  if (phrases != nullptr) phrases->Reset();
  VLayer* words = Layer(layers::kWord);
  if (words == nullptr) {
    Log::Error(std::string(kSourcePath) + ": Word layer required");
    return false;
  }
  VComposer* composer = GetComposer();
  if (phrases == nullptr || composer == nullptr) return true;
  VTextBuffer* text = composer->GetText();
  const VSR_PhonePool* table = PhoneTable();
  PhoneFeature isPhone(table, phone_features::kPhone);
  PhoneFeature isBreak(table, phone_features::kBreak);

  char* first = text->GetData();
  const int length = text->GetLength();
  bool open = false;
  int phraseStart = 0;
  bool conjunctionSeen = false;
  int i = 0;
  // The index after the last character of word w (never behind i + 1).
  auto after = [&](int w) {
    const int next = text->IndexOf(words->GetEnd(w)) + 1;
    return next > i ? next : i + 1;
  };
  while (i < length) {
    char* c = first + i;
    const int w = words->locate(c);
    if (isPhone(*c) && !open) {
      phraseStart = i;
      open = true;
    }
    // A phrase that would end before it starts (it opened at a conjunction
    // whose '/' was just written) stays open.
    if (!isPhone(*c) && open && isBreak(*c) && phraseStart < i) {
      int end = i - 1;
      while (end > phraseStart && !isPhone(first[end])) --end;
      _token_ phrase(first + phraseStart, first + end);
      phrase.Set(features::kType, TypeOf(*c));
      phrases->Add(phrase);
      open = false;
    }
    if (w >= 0 && words->Contains(w, features::kConjunction) != nullptr) {
      if (conjunctionSeen) {
        conjunctionSeen = false;
        i = after(w);
        continue;
      }
      conjunctionSeen = true;
      if (i >= 2 && first[i - 2] != '\0' && !isBreak(first[i - 2]) && !isBreak(first[i - 1])) {
        first[i - 1] = kConjunctionBreak;
        --i;
      }
      continue;
    }
    // Only a word's first character is looked at.
    i = (w >= 0 && isPhone(*c)) ? after(w) : i + 1;
  }

  for (const _token_* phrase : phrases->Tokens()) {
    words->SetFeature(words->locate(phrase->GetStart()), features::kPhrase, features::kStart);
    words->SetFeature(words->locate(phrase->GetEnd()), features::kPhrase, features::kFin);
  }
  return true;
}

bool VM_LayerPhrase::Release() { return true; }
