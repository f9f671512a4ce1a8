// A text of the composer: the working text of a run (the input, rewritten
// step by step into the phone string) or the kept filtered text.
#pragma once

#include <string>

class VTextBuffer {
 public:
  VTextBuffer() = default;
  virtual ~VTextBuffer() = default;

  // The buffer becomes the first `length` characters of text (all of it up
  // to its terminator when length is -1, and never past the terminator). A
  // null text leaves the buffer empty. The text may lie in the buffer itself.
  void SetText(const char* text, int length = -1);
  void SetText(const std::string& text) { text_ = text; }

  // The text, zero-terminated; valid until the next SetText.
  const char* GetText() const { return text_.c_str(); }
  // Writable access for modules that rewrite characters in place (positions
  // into the text stay valid while its length does not change).
  char* GetData() { return &text_[0]; }
  int GetLength() const { return static_cast<int>(text_.size()); }
  // The index of the character at pos; -1 for a position outside the text
  // (pos is compared with the text's ends before anything is subtracted).
  int IndexOf(const char* pos) const;
  const std::string& Str() const { return text_; }

  // Whether the text is a pass of speech that ends at a sentence end with
  // more speech to follow (set by the feeder that cuts the passes): its
  // last break is then that sentence's pause, to be timed and heard like the
  // others, not the break that closes the speech.
  void SetMoreSpeechFollows(bool more) { moreSpeechFollows_ = more; }
  bool MoreSpeechFollows() const { return moreSpeechFollows_; }

  // Whether the text is a pass of speech that continues the pass before it
  // (set by the feeder that cuts the passes): the modules that read across
  // a sentence end (the duration rules' previous phone, the pitch curve's
  // previous cell) then take up what the pass before left them, so that the
  // passes together sound as the whole text does. False for the first pass
  // and for a text that is not cut.
  void SetContinuesSpeech(bool continues) { continuesSpeech_ = continues; }
  bool ContinuesSpeech() const { return continuesSpeech_; }

 private:
  std::string text_;
  bool moreSpeechFollows_ = false;
  bool continuesSpeech_ = false;
};
