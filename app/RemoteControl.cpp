#include "app/RemoteControl.h"

#include <QLocalSocket>
#include <QVariant>

#include "app/RemoteProtocol.h"

namespace {
// The bytes of a connection that do not yet make a whole request.
constexpr const char* kPendingProperty = "pendingBytes";
}  // namespace

RemoteControl::RemoteControl(Handler handler) : handler_(std::move(handler)) {
  QObject::connect(&server_, &QLocalServer::newConnection, [this] { OnNewConnection(); });
}

RemoteControl::~RemoteControl() { server_.close(); }

bool RemoteControl::Start(const std::string& requested, std::string* error) {
  const std::string path = requested.empty() ? remote::SocketPath(error) : requested;
  if (path.empty()) return false;
  if (remote::ServerAnswers(path)) {
    if (error != nullptr) *error = "another program answers at " + path;
    return false;
  }
  QLocalServer::removeServer(QString::fromStdString(path));
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_.listen(QString::fromStdString(path))) {
    if (error != nullptr) *error = server_.errorString().toStdString();
    return false;
  }
  return true;
}

void RemoteControl::OnNewConnection() {
  while (QLocalSocket* socket = server_.nextPendingConnection()) {
    QObject::connect(socket, &QLocalSocket::readyRead, socket,
                     [this, socket] { OnReadyRead(socket); });
    QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
  }
}

void RemoteControl::OnReadyRead(QLocalSocket* socket) {
  std::string pending =
      (socket->property(kPendingProperty).toByteArray() + socket->readAll()).toStdString();
  std::vector<std::string> requests;
  const bool acceptable = remote::TakeRequests(pending, requests);
  for (const std::string& bytes : requests) {
    queue_.push_back({socket, QByteArray::fromStdString(bytes)});
  }
  if (!acceptable) {
    const std::string refusal = remote::EncodeReply(false);
    socket->write(refusal.data(), static_cast<qint64>(refusal.size()));
    socket->disconnectFromServer();
    pending.clear();
  }
  socket->setProperty(kPendingProperty, QByteArray::fromStdString(pending));
  // Handled from the event loop, not inside the socket's own signal: the
  // handler may run a nested loop in which the socket goes away.
  QMetaObject::invokeMethod(
      &server_, [this] { HandleRequests(); }, Qt::QueuedConnection);
}

void RemoteControl::HandleRequests() {
  // A handler that runs a nested event loop brings us back here: the
  // request waits in the queue for the loop below.
  if (busy_) return;
  busy_ = true;
  while (!queue_.empty()) {
    Request request = std::move(queue_.front());
    queue_.pop_front();
    const bool answer = handler_(request.bytes);
    if (request.socket) {
      const std::string reply = remote::EncodeReply(answer);
      request.socket->write(reply.data(), static_cast<qint64>(reply.size()));
      request.socket->flush();
    }
  }
  busy_ = false;
}
