// The desktop services of the dialog logic on Qt: message boxes that hold
// up no one (message_boxes), the save-file dialog, links opened by the
// desktop, tasks posted to the GUI thread's event loop, and the exit hook.
#pragma once

#include <QPointer>
#include <QWidget>

#include "app/UiServices.h"

class QtUiServices : public UiServices {
 public:
  // owner: the window that owns the boxes and the file dialog (may be null).
  void SetOwner(QWidget* owner) { owner_ = owner; }

  void MessageBox(const std::string& caption, const std::string& text, BoxIcon icon) override;
  std::optional<std::string> AskSaveFileName() override;
  bool OpenLink(const std::string& url) override;
  void Post(std::function<void()> task) override;
  void Exit(int code) override;

 private:
  QPointer<QWidget> owner_;
};
