// The remote control's server: a local socket of the user's own (see
// RemoteProtocol.h) on which other programs send commands. Requests are
// handed to the handler strictly one at a time, in their order of arrival:
// a request that arrives while the handler runs (say, while a message box
// of the dialog is open) waits until it has returned.
#pragma once

#include <QByteArray>
#include <QLocalServer>
#include <QPointer>
#include <deque>
#include <functional>
#include <string>

class QLocalSocket;

class RemoteControl {
 public:
  // Answers one request's bytes: true for TRUE.
  using Handler = std::function<bool(const QByteArray& bytes)>;

  explicit RemoteControl(Handler handler);
  ~RemoteControl();
  RemoteControl(const RemoteControl&) = delete;
  RemoteControl& operator=(const RemoteControl&) = delete;

  // Listens at path (empty: remote::SocketPath()). A socket left behind by
  // a program that has ended is removed first; false, with the reason in
  // error, when another program answers at path or listening fails.
  bool Start(const std::string& path = std::string(), std::string* error = nullptr);
  QString path() const { return server_.fullServerName(); }

 private:
  struct Request {
    QPointer<QLocalSocket> socket;
    QByteArray bytes;
  };

  void OnNewConnection();
  void OnReadyRead(QLocalSocket* socket);
  void HandleRequests();

  Handler handler_;
  QLocalServer server_;
  std::deque<Request> queue_;
  bool busy_ = false;
};
