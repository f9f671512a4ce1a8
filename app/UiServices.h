// What the dialog logic asks of the desktop besides its own controls:
// message boxes, the save-file dialog, opening a link, running a task on
// the GUI thread, and ending the process with an exit code.
#pragma once

#include <functional>
#include <optional>
#include <string>

class UiServices {
 public:
  enum class BoxIcon { kNone, kInformation, kError };

  virtual ~UiServices() = default;
  // A box with an OK button. Returns at once: the box holds up no one, and
  // boxes of the same caption and icon that come while one is open join it.
  virtual void MessageBox(const std::string& caption, const std::string& text, BoxIcon icon) = 0;
  // The save-file dialog with the default extension "wav" and the filters
  // Wave, Mp3 and All Files: the chosen path, or nothing when cancelled.
  virtual std::optional<std::string> AskSaveFileName() = 0;
  // Opens a link ("mailto:" or a web page) with the desktop's handler:
  // false when no program of the desktop took it.
  virtual bool OpenLink(const std::string& url) = 0;
  // Runs task on the GUI thread once it is back in its event loop. May be
  // called from any thread.
  virtual void Post(std::function<void()> task) = 0;
  // Ends the process with code (platform::ExitProcess) once the boxes on
  // the screen have been closed. Returns only where a test has replaced it.
  virtual void Exit(int code) = 0;
};

// Opens url through ui; when no program of the desktop takes it, a box says
// so, with the address.
void OpenLinkOrSay(UiServices& ui, const std::string& url);
