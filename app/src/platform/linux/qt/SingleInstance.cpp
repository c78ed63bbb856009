#include "platform/linux/qt/SingleInstance.hpp"

#include <QLocalSocket>
#include <QPointer>
#include <QStandardPaths>

namespace tavelin::app {
namespace {

constexpr int kConnectMs = 1000;
constexpr int kAnswerMs = 3000;

}  // namespace

SingleInstance::SingleInstance(QString socketPath) : path_(std::move(socketPath)) {
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  connect(&server_, &QLocalServer::newConnection, this, [this] { acceptConnections(); });
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultSocketPath() {
  return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + QStringLiteral("/org.tavelin.Tavelin.socket");
}

bool SingleInstance::askRunningCopy() {
  QLocalSocket socket;
  socket.connectToServer(path_);
  if (!socket.waitForConnected(kConnectMs)) return false;
  socket.write(kReopenRequest);
  if (!socket.waitForBytesWritten(kAnswerMs)) return false;
  // The answer says the running copy took the request, not merely that a
  // socket was there.
  while (!socket.canReadLine()) {
    if (!socket.waitForReadyRead(kAnswerMs)) return false;
  }
  return socket.readLine() == kReopenAnswer;
}

SingleInstance::Role SingleInstance::claim() {
  if (askRunningCopy()) return Role::secondary;
  if (server_.listen(path_)) return Role::primary;
  if (server_.serverError() != QAbstractSocket::AddressInUseError) return Role::alone;
  // The socket exists but nobody answered on it: either a copy is starting
  // this very moment, or one ended without removing it. Ask once more before
  // taking the name over.
  if (askRunningCopy()) return Role::secondary;
  QLocalServer::removeServer(path_);
  return server_.listen(path_) ? Role::primary : Role::alone;
}

void SingleInstance::acceptConnections() {
  while (QLocalSocket* socket = server_.nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    QPointer<QLocalSocket> guarded(socket);
    auto readRequests = [this, guarded] {
      while (guarded && guarded->canReadLine()) {
        const QByteArray line = guarded->readLine();
        if (line != kReopenRequest) continue;  // not ours to understand
        if (onReopen_) onReopen_();
        if (guarded) guarded->write(kReopenAnswer);
      }
      // A line that never ends is not a request.
      if (guarded && guarded->bytesAvailable() > 256) guarded->abort();
    };
    connect(socket, &QLocalSocket::readyRead, this, readRequests);
    readRequests();
  }
}

}  // namespace tavelin::app
