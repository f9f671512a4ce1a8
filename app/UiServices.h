// What the dialog logic asks of the desktop besides its own controls:
// message boxes, the save-file dialog, opening a link, and ending the
// process with an exit code.
#pragma once

#include <optional>
#include <string>

class UiServices {
 public:
  enum class BoxIcon { kNone, kInformation, kError };

  virtual ~UiServices() = default;
  // A modal box with an OK button; returns when it has been dismissed.
  virtual void MessageBox(const std::string& caption, const std::string& text, BoxIcon icon) = 0;
  // The save-file dialog with the default extension "wav" and the filters
  // Wave, Mp3 and All Files: the chosen path, or nothing when cancelled.
  virtual std::optional<std::string> AskSaveFileName() = 0;
  // Opens a link ("mailto:" or a web page) with the desktop's handler.
  virtual void OpenLink(const std::string& url) = 0;
  // Ends the process with code (platform::ExitProcess). Returns only where a
  // test has replaced it.
  virtual void Exit(int code) = 0;
};
