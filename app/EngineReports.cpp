#include "app/EngineReports.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QStringDecoder>
#include <QThread>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "platform/Codepage.h"
#include "platform/ExitHook.h"

namespace {

// How long a thread that ends the process waits for the GUI thread to take
// over its reports; a GUI thread that does not answer by then may itself
// be waiting for that thread.
constexpr std::chrono::milliseconds kHandOverWait(2000);
constexpr std::chrono::milliseconds kPoll(10);

std::mutex g_mutex;
std::deque<std::pair<QString, QString>> g_pending;  // (caption, text), not shown yet
platform::ExitHook g_previousHook = nullptr;
std::atomic<bool> g_exitAsked{false};  // a thread has asked the GUI thread to end
std::atomic<bool> g_guiEnding{false};  // the GUI thread is ending the process

// A report's text: file names in it are the system's UTF-8, the engine's
// own words Windows-1253; a text that is not valid UTF-8 is read as the
// latter.
QString ReportText(const std::string& bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString text = utf8(QByteArray::fromStdString(bytes));
  if (!utf8.hasError()) return text;
  return QString::fromStdString(platform::Cp1253ToUtf8(bytes));
}

bool TakePending(std::pair<QString, QString>& report) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (g_pending.empty()) return false;
  report = std::move(g_pending.front());
  g_pending.pop_front();
  return true;
}

// The report boxes on the screen (GUI thread only).
std::vector<QPointer<QMessageBox>> g_openBoxes;

// GUI thread: the oldest report in a box that holds up no one.
void ShowNextReport() {
  std::pair<QString, QString> report;
  if (!TakePending(report)) return;
  auto* box = new QMessageBox(QMessageBox::Warning, report.first, report.second, QMessageBox::Ok);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->show();
  g_openBoxes.emplace_back(box);
}

// GUI thread, before the process ends: the reports on the screen stay
// until closed, then every report not shown yet, each until its OK.
void ShowPendingReports() {
  for (const QPointer<QMessageBox>& open : g_openBoxes) {
    if (!open) continue;
    QEventLoop untilClosed;
    QObject::connect(open, &QObject::destroyed, &untilClosed, &QEventLoop::quit);
    untilClosed.exec();
  }
  g_openBoxes.clear();
  std::pair<QString, QString> report;
  while (TakePending(report)) {
    QMessageBox box(QMessageBox::Warning, report.first, report.second, QMessageBox::Ok);
    box.exec();
  }
}

// The engine ends the process (it has just reported why): the reports are
// shown first, on the GUI thread.
void ExitAfterReports(int code) {
  QCoreApplication* app = QCoreApplication::instance();
  if (app != nullptr && QThread::currentThread() == app->thread()) {
    ShowPendingReports();
  } else if (app != nullptr && !g_exitAsked.exchange(true)) {
    QMetaObject::invokeMethod(
        app,
        [code] {
          g_guiEnding = true;
          platform::ExitProcess(code);
        },
        Qt::QueuedConnection);
    const auto deadline = std::chrono::steady_clock::now() + kHandOverWait;
    while (!g_guiEnding && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(kPoll);
    }
    // Once the GUI thread has taken over, it ends the process.
    while (g_guiEnding) std::this_thread::sleep_for(kPoll);
  }
  g_previousHook(code);
}

}  // namespace

EngineReports::EngineReports()
    : previous_(platform::SetMessageSink([](const std::string& caption, const std::string& text) {
        const QString c = ReportText(caption);
        const QString t = ReportText(text);
        std::fprintf(stderr, "[%s] %s\n", c.toLocal8Bit().constData(), t.toLocal8Bit().constData());
        {
          std::lock_guard<std::mutex> lock(g_mutex);
          g_pending.emplace_back(c, t);
        }
        QMetaObject::invokeMethod(QCoreApplication::instance(), ShowNextReport,
                                  Qt::QueuedConnection);
      })) {
  g_previousHook = platform::SetExitHook(ExitAfterReports);
}

EngineReports::~EngineReports() {
  platform::SetExitHook(g_previousHook);
  platform::SetMessageSink(previous_);
}
