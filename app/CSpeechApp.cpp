#include "app/CSpeechApp.h"

#include <sys/socket.h>
#include <unistd.h>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <optional>
#include <string>

#include "app/CLanguageDlg.h"
#include "app/CSpeechDlg.h"
#include "app/CSplashWnd.h"
#include "app/EngineReports.h"
#include "app/QtUiServices.h"
#include "app/RemoteControl.h"
#include "app/Texts.h"
#include "app/TmEnginePort.h"

namespace {

// The signal handler's end and the event loop's end of a socket pair.
int g_signalFds[2] = {-1, -1};

void OnSignal(int) {
  const char byte = 1;
  // Nothing can be done here about a full pipe: one byte is enough anyway.
  [[maybe_unused]] const ssize_t n = write(g_signalFds[0], &byte, 1);
}

struct Options {
  bool splash = true;
  std::optional<bool> greek;
};

// The options, or nothing for a command line that is not understood.
std::optional<Options> ParseCommandLine(const QStringList& arguments) {
  Options options;
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    if (argument == "--nosplash") {
      options.splash = false;
    } else if (argument == "--language" && i + 1 < arguments.size()) {
      const QString language = arguments[++i];
      if (language != "greek" && language != "english") return std::nullopt;
      options.greek = language == "greek";
    } else {
      return std::nullopt;
    }
  }
  return options;
}

}  // namespace

CSpeechApp::CSpeechApp(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName("zorvalis");
  // The program ends when InitInstance returns, not when a window closes.
  setQuitOnLastWindowClosed(false);
  installEventFilter(this);
  WatchTermination();
}

CSpeechApp::~CSpeechApp() {
  std::signal(SIGTERM, SIG_DFL);
  std::signal(SIGINT, SIG_DFL);
}

void CSpeechApp::WatchTermination() {
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalFds) != 0) return;
  auto* notifier = new QSocketNotifier(g_signalFds[1], QSocketNotifier::Read, this);
  connect(notifier, &QSocketNotifier::activated, this, [this] {
    char byte = 0;
    [[maybe_unused]] const ssize_t n = read(g_signalFds[1], &byte, 1);
    OnTermination();
  });
  std::signal(SIGTERM, OnSignal);
  std::signal(SIGINT, OnSignal);
}

void CSpeechApp::OnTermination() {
  terminating_ = true;
  closeAllWindows();
}

bool CSpeechApp::eventFilter(QObject* watched, QEvent* event) {
  if (PreTranslateMessage(event)) return true;
  return QApplication::eventFilter(watched, event);
}

bool CSpeechApp::PreTranslateMessage(QEvent* event) {
  return CSplashWnd::PreTranslateAppMessage(event);
}

bool CSpeechApp::InitInstance() {
  g_bGreek = true;
  const std::optional<Options> options = ParseCommandLine(arguments());
  if (!options) {
    std::fprintf(stderr, "usage: zorvalis [--nosplash] [--language greek|english]\n");
    exitCode_ = kExitUsage;
    return false;
  }
  if (options->greek) {
    g_bGreek = *options->greek;
  } else {
    CLanguageDlg language;
    language.exec();
  }
  if (terminating_) return false;
  CSplashWnd::EnableSplashScreen(options->splash);

  EngineReports reports;
  TmEnginePort engine;
  QtUiServices ui;
  CSpeechDlg dialog(engine, ui);
  ui.SetOwner(&dialog);
  RemoteControl remote([&dialog](const QByteArray& bytes) { return dialog.OnCopyData(bytes); });
  std::string error;
  if (!remote.Start(std::string(), &error)) {
    std::fprintf(stderr, "zorvalis: no remote control: %s\n", error.c_str());
  }
  dialog.DoModal();
  CSplashWnd::HideSplashScreen();
  return false;
}
