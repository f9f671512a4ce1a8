// The application: the language choice, then the main dialog's modal run
// with the splash window over its start, the engine's reports shown as
// boxes and the remote control listening. The program ends when the main
// dialog closes; SIGTERM and SIGINT close it as EXIT does.
//
// Command line: --nosplash (no splash window), --language greek|english
// (no language dialog).
#pragma once

#include <QApplication>
#include <QPointer>

class CSpeechApp : public QApplication {
 public:
  // The exit code of a command line that the program does not understand.
  static constexpr int kExitUsage = 2;

  CSpeechApp(int& argc, char** argv);
  ~CSpeechApp() override;

  // Runs the whole program; returns false, as it has no loop of its own
  // left to run.
  bool InitInstance();
  // Sees every event of the program first: true when the splash window
  // consumed it.
  bool PreTranslateMessage(QEvent* event);
  int exitCode() const { return exitCode_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void WatchTermination();
  void OnTermination();

  int exitCode_ = 0;
  bool terminating_ = false;
};
