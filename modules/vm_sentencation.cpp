#include "modules/vm_sentencation.h"

#include "engine/base/VLib.h"
#include "engine/data/FeatureNames.h"
#include "engine/data/VLayer.h"
#include "engine/data/_token_.h"

VM_LayerSentence::VM_LayerSentence() : VModule("VM_LayerSentence") {}

bool VM_LayerSentence::ReleaseResources() { return true; }

bool VM_LayerSentence::Init() {
  CreateLayer(layers::kSentence, layers::kSentenceHint);
  return true;
}

bool VM_LayerSentence::SetUp() { return true; }

bool VM_LayerSentence::Run() {
  VLayer* sentences = Layer(layers::kSentence);
  if (sentences != nullptr) sentences->Reset();
  const VLayer* phrases = Layer(layers::kPhrase);
  if (phrases == nullptr) {
    VLib::ReportError("[Phrase] layer required");
    return false;
  }
  if (sentences == nullptr) return true;
  char* sentenceStart = nullptr;
  for (const _token_* phrase : phrases->Tokens()) {
    if (sentenceStart == nullptr) sentenceStart = phrase->GetStart();
    for (const char* type : {features::kStop, features::kQuestion, features::kExclamation}) {
      if (!phrase->Is(features::kType, type)) continue;
      _token_ sentence(sentenceStart, phrase->GetEnd());
      sentence.Set(features::kType, type);
      sentences->Add(sentence);
      sentenceStart = nullptr;
      break;
    }
  }
  return true;
}

bool VM_LayerSentence::Release() { return true; }
