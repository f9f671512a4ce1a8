#include "app/EngineReports.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QString>
#include <QStringDecoder>

#include "platform/Codepage.h"

namespace {

// A report's text: file names in it are the system's UTF-8, the engine's
// own words Windows-1253; a text that is not valid UTF-8 is read as the
// latter.
QString ReportText(const std::string& bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString text = utf8(QByteArray::fromStdString(bytes));
  if (!utf8.hasError()) return text;
  return QString::fromStdString(platform::Cp1253ToUtf8(bytes));
}

void ShowReport(const QString& caption, const QString& text) {
  auto* box = new QMessageBox(QMessageBox::Warning, caption, text, QMessageBox::Ok);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->show();
}

}  // namespace

EngineReports::EngineReports()
    : previous_(platform::SetMessageSink([](const std::string& caption, const std::string& text) {
        const QString c = ReportText(caption);
        const QString t = ReportText(text);
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [c, t] { ShowReport(c, t); }, Qt::QueuedConnection);
      })) {}

EngineReports::~EngineReports() { platform::SetMessageSink(previous_); }
