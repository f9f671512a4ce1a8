#include "app/QtUiServices.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

#include "app/EngineReports.h"
#include "app/MessageBoxes.h"
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
  message_boxes::Show(QString::fromStdString(caption), QString::fromStdString(text), qtIcon,
                      owner_);
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

bool QtUiServices::OpenLink(const std::string& url) {
  return QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}

void QtUiServices::Post(std::function<void()> task) {
  QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(task), Qt::QueuedConnection);
}

void QtUiServices::Exit(int code) {
  // The engine's reports that wait are shown first (those of a failed start
  // join its box).
  EngineReports::Hold(false);
  message_boxes::WaitUntilClosed();
  platform::ExitProcess(code);
}
