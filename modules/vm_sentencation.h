// Builds the "Sentence" layer from the phrase types: a phrase of type
// "stop", "question" or "exclamation" closes a sentence that starts at the
// first phrase after the previous sentence and takes that type; "comma"
// phrases and phrases without a type continue it. Phrases after the last
// closing one make no sentence.
#pragma once

#include "engine/composer/VModule.h"

class VM_LayerSentence : public VModule {
 public:
  VM_LayerSentence();

  bool ReleaseResources() override;
  // Creates the layer "Sentence"; true.
  bool Init() override;
  // Reads no key; true.
  bool SetUp() override;
  // Rebuilds the layer. False only when the composer has no "Phrase"
  // layer: then "[Phrase] layer required" goes to the error report.
  bool Run() override;
  bool Release() override;
};
