#include "common/qt/local_socket_transport.h"

#include <QDeadlineTimer>
#include <QLocalSocket>

#include <map>
#include <string>

#include "common/qt/message_link.h"

#ifdef __linux__
#include <poll.h>
#endif

namespace common {
namespace {

// Connecting to a local socket is immediate unless the window's queue of
// waiting connections is full; do not wait long for that.
constexpr int kConnectWaitMs = 500;
// Writing a close or restore request into the socket (it is not answered).
constexpr int kPostWaitMs = 500;

class LocalSocketTransport : public MessageTransport {
 public:
  explicit LocalSocketTransport(int ackWaitMs) : ackWaitMs_(ackWaitMs) {}

  bool Find(const std::string& className, const std::string& windowName) override {
    return Link(className, windowName) != nullptr;
  }

  bool AddLine(const std::string& className, const std::string& windowName, const std::string& line) override {
    std::string frame = EncodeFrame(kFrameLine, line);
    // A connection that broke before its acknowledgement (the window ended
    // between two reports) is tried once more on a new one; a window that
    // does not answer in time is given up.
    for (int attempt = 0; attempt < 2; ++attempt) {
      QLocalSocket* socket = Link(className, windowName);
      if (!socket) return false;
      switch (Exchange(socket, frame)) {
        case Result::Acked:
          return true;
        case Result::TimedOut:
          // The acknowledgement may still come later; it must not be taken
          // for the next line's.
          Drop(className, windowName);
          return false;
        case Result::Broken:
          Drop(className, windowName);
          break;
      }
    }
    return false;
  }

  void PostClose(const std::string& className, const std::string& windowName) override {
    if (QLocalSocket* socket = Link(className, windowName)) {
      Post(socket, EncodeFrame(kFrameClose, {}));
      // The window goes away; the next look-up connects anew.
      Drop(className, windowName);
    }
  }

  void Restore(const std::string& className, const std::string& windowName) override {
    if (QLocalSocket* socket = Link(className, windowName)) Post(socket, EncodeFrame(kFrameRestore, {}));
  }

 private:
  enum class Result { Acked, Broken, TimedOut };

  static std::string Key(const std::string& className, const std::string& windowName) {
    return className + '\0' + windowName;
  }

  // True while the window's end of the connection is open. The window never
  // sends anything unasked, so bytes waiting to be read mean it has closed
  // (end of file) or talks nonsense.
  static bool Alive(QLocalSocket* socket) {
    if (socket->state() != QLocalSocket::ConnectedState || socket->bytesAvailable() > 0) return false;
#ifdef __linux__
    pollfd p{static_cast<int>(socket->socketDescriptor()), POLLIN | POLLRDHUP, 0};
    if (::poll(&p, 1, 0) != 0) return false;
#endif
    return true;
  }

  // A live connection to the window of this identity, made when needed;
  // null when no window of this user answers at its socket.
  QLocalSocket* Link(const std::string& className, const std::string& windowName) {
    std::string key = Key(className, windowName);
    auto it = links_.find(key);
    if (it != links_.end()) {
      if (Alive(it->second.get())) return it->second.get();
      links_.erase(it);
    }
    MessageLinkPaths paths = MessageLinkPathsFor(className, windowName);
    if (paths.socketPath.empty()) return nullptr;
    auto socket = std::make_unique<QLocalSocket>();
    socket->connectToServer(QString::fromStdString(paths.socketPath), QIODevice::ReadWrite);
    if (!socket->waitForConnected(kConnectWaitMs)) return nullptr;
    // Only a window of our own user gets our lines.
    if (!PeerIsSameUser(socket->socketDescriptor())) {
      socket->abort();
      return nullptr;
    }
    std::string hello = EncodeFrame(kFrameHello, kHelloPayload);
    socket->write(hello.data(), static_cast<qint64>(hello.size()));  // goes out with the first request
    QLocalSocket* raw = socket.get();
    links_[key] = std::move(socket);
    return raw;
  }

  void Drop(const std::string& className, const std::string& windowName) {
    auto it = links_.find(Key(className, windowName));
    if (it == links_.end()) return;
    it->second->abort();
    links_.erase(it);
  }

  static bool WriteAll(QLocalSocket* socket, const std::string& bytes, const QDeadlineTimer& deadline) {
    if (socket->write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size()))
      return false;
    socket->flush();
    while (socket->bytesToWrite() > 0) {
      if (deadline.hasExpired() || !socket->waitForBytesWritten(static_cast<int>(deadline.remainingTime())))
        return false;
    }
    return true;
  }

  Result Exchange(QLocalSocket* socket, const std::string& frame) {
    QDeadlineTimer deadline(ackWaitMs_);
    if (!WriteAll(socket, frame, deadline))
      return socket->state() == QLocalSocket::ConnectedState ? Result::TimedOut : Result::Broken;
    while (socket->bytesAvailable() < static_cast<qint64>(kFrameHeaderBytes)) {
      if (socket->state() != QLocalSocket::ConnectedState) return Result::Broken;
      if (deadline.hasExpired()) return Result::TimedOut;
      if (!socket->waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
        if (socket->state() != QLocalSocket::ConnectedState) return Result::Broken;
        if (deadline.hasExpired()) return Result::TimedOut;
      }
    }
    char ack[kFrameHeaderBytes];
    if (socket->read(ack, sizeof ack) != static_cast<qint64>(sizeof ack)) return Result::Broken;
    if (ack[0] != kFrameAck || ack[1] != 0 || ack[2] != 0 || ack[3] != 0 || ack[4] != 0) return Result::Broken;
    return Result::Acked;
  }

  static void Post(QLocalSocket* socket, const std::string& frame) {
    WriteAll(socket, frame, QDeadlineTimer(kPostWaitMs));
  }

  int ackWaitMs_;
  std::map<std::string, std::unique_ptr<QLocalSocket>> links_;
};

}  // namespace

std::unique_ptr<MessageTransport> MakeLocalSocketTransport(int ackWaitMs) {
  return std::make_unique<LocalSocketTransport>(ackWaitMs);
}

}  // namespace common
