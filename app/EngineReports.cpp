#include "app/EngineReports.h"

#include <QCoreApplication>
#include <QMessageBox>
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

#include "app/MessageBoxes.h"
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

// A report's words without the time stamp that the error file keeps in
// front of them (up to the first tab).
QString WithoutTimeStamp(const QString& text) {
  const qsizetype tab = text.indexOf('\t');
  return tab < 0 ? text : text.mid(tab + 1);
}

// The reports not shown yet, oldest first.
std::deque<std::pair<QString, QString>> TakePending() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return std::exchange(g_pending, {});
}

// While the engine starts, its reports wait: the dialog's box of a failed
// start comes first and they join it (GUI thread only).
bool g_held = false;

// GUI thread: every report not shown yet, into the box of its caption on
// the screen or a new one that holds up no one.
void ShowNextReport() {
  if (g_held) return;
  std::deque<std::pair<QString, QString>> pending = TakePending();
  while (!pending.empty()) {
    // The reports of one caption that came one after another.
    const QString caption = pending.front().first;
    QStringList texts;
    for (; !pending.empty() && pending.front().first == caption; pending.pop_front())
      texts.append(pending.front().second);
    message_boxes::ShowReports(caption, texts, QMessageBox::Warning, nullptr);
  }
}

// GUI thread: ends the hold of the reports of the engine's start. When the
// start has shown a box (one that says it failed), they say why, and join
// it; else they are shown as any others.
void ReleaseHeld() {
  if (!std::exchange(g_held, false) || !message_boxes::AnyOpen()) return;
  QStringList texts;
  for (const auto& report : TakePending()) texts.append(report.second);
  message_boxes::JoinNewest(texts);
}

// GUI thread, before the process ends: the reports not shown yet are shown,
// and the boxes stay until closed.
void ShowPendingReports() {
  EngineReports::Hold(false);
  message_boxes::WaitUntilClosed();
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
          g_pending.emplace_back(c, WithoutTimeStamp(t));
        }
        QMetaObject::invokeMethod(QCoreApplication::instance(), ShowNextReport,
                                  Qt::QueuedConnection);
      })) {
  g_previousHook = platform::SetExitHook(ExitAfterReports);
}

void EngineReports::Hold(bool hold) {
  if (hold) {
    g_held = true;
    return;
  }
  ReleaseHeld();
  ShowNextReport();
}

EngineReports::~EngineReports() {
  platform::SetExitHook(g_previousHook);
  platform::SetMessageSink(previous_);
}
