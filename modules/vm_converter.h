// The common part of the modules that rewrite the working text through a
// chain of letter-conversion rule collections of their own: the four
// converter modules (VM_FeederPre, VM_FeederPost, VM_Phonemizer,
// VM_Speller) are this class with their name and the voice-font key that
// names their chain; the two text feeders build their chopping on it.
#pragma once

#include <memory>
#include <string>

#include "engine/composer/VModule.h"
#include "engine/shared/VAlphConverter.h"

class VM_Converter : public VModule {
 public:
  // name: the module name; fileChainKey: the voice-font key whose value
  // names the rule collections, separated by '-' or newlines.
  VM_Converter(const std::string& name, const char* fileChainKey);
  ~VM_Converter() override;

  // Deletes the converter; true.
  bool ReleaseResources() override;
  // Creates the converter with an empty chain; true.
  bool Init() override;
  // Binds the converter to the collections that the current font names under
  // the key. A name that the shared pool lacks is reported by the converter,
  // which keeps the collections named before it; still true.
  bool SetUp() override;
  // Replaces the working text by its conversion through the whole chain (the
  // empty text when the chain names no collection); true.
  bool Run() override;
  bool Release() override { return true; }

  const char* FileChainKey() const { return fileChainKey_; }

 protected:
  // The conversion of the first length characters of text (the terminating
  // zero may be counted); "" when the chain is empty or not made.
  std::string Convert(const char* text, int length) const;
  // The conversion of the whole text, its terminating zero included.
  std::string ConvertWhole(const std::string& text) const;
  // A conversion through the chain of a text that grows at its end (through
  // no collection when the chain is not made).
  VAlphConverter::Growing GrowingConversion() const;
  // Stores text as the working text and runs the enabled modules of the
  // current font's chain behind this one (the per-run data are reset
  // first). Used by the feeders for each pass.
  void RunPass(const std::string& text);

 private:
  const char* fileChainKey_;
  std::unique_ptr<VAlphConverter> converter_;
};
