// The desktop services of the dialog logic on Qt: modal message boxes, the
// save-file dialog, links opened by the desktop, and the exit hook.
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
  void OpenLink(const std::string& url) override;
  void Exit(int code) override;

 private:
  QPointer<QWidget> owner_;
};
