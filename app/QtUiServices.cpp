#include "app/QtUiServices.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

#include "platform/ExitHook.h"

namespace {
// The save dialog's filters and the extension given to a name without one.
const char* const kSaveFilters = "Wave (*.wav);;Mp3 (*.mp3);;All Files (*.*)";
const char* const kDefaultSuffix = "wav";
}  // namespace

void QtUiServices::MessageBox(const std::string& caption, const std::string& text, BoxIcon icon) {
  QMessageBox::Icon qtIcon = QMessageBox::NoIcon;
  if (icon == BoxIcon::kInformation) qtIcon = QMessageBox::Information;
  if (icon == BoxIcon::kError) qtIcon = QMessageBox::Critical;
  QMessageBox box(qtIcon, QString::fromStdString(caption), QString::fromStdString(text),
                  QMessageBox::Ok, owner_);
  box.exec();
}

std::optional<std::string> QtUiServices::AskSaveFileName() {
  QFileDialog dialog(owner_);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilter(kSaveFilters);
  dialog.setDefaultSuffix(kDefaultSuffix);
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first().toStdString();
}

void QtUiServices::OpenLink(const std::string& url) {
  QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}

void QtUiServices::Exit(int code) { platform::ExitProcess(code); }
