// The controls of the main dialog as the dialog logic sees them. Texts are
// UTF-8.
#pragma once

#include <string>

class SpeechView {
 public:
  enum class Slider { kVolume, kPitch, kSpeed };

  virtual ~SpeechView() = default;
  // The whole text of the text box; SetText replaces it.
  virtual std::string Text() const = 0;
  virtual void SetText(const std::string& text) = 0;
  virtual int SliderPosition(Slider slider) const = 0;
  virtual void SetSliderPosition(Slider slider, int position) = 0;
  // Adds an item shown as display with the voice-font name as its data;
  // returns its index.
  virtual int AddCharacter(const std::string& display, const std::string& name) = 0;
  // Selects an item (-1: none) without it counting as a user's change.
  virtual void SelectCharacter(int index) = 0;
  // The data of the selected item (empty when none is selected).
  virtual std::string SelectedCharacter() const = 0;
  virtual void StartAnimation() = 0;
  virtual void StopAnimation() = 0;
  virtual void EnableSpeak() = 0;
  // The dialog takes the keyboard focus.
  virtual void TakeFocus() = 0;
  // The dialog's window comes to the front and takes the focus.
  virtual void Activate() = 0;
  // The labels, the buttons' captions and the text box's first text in
  // the interface language.
  virtual void SetLabels() = 0;
  // The whole text selected, its caret scrolled into view, the focus on it.
  virtual void FocusText() = 0;
};
