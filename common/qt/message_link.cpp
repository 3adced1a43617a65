#include "common/qt/message_link.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>

#include <cstdint>
#include <filesystem>
#include <vector>

#include "common/platform.h"
#include "common/text.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace common {
namespace {

#ifndef _WIN32
// A folder we may put sockets in: a real folder (not a link), ours, and
// closed to everybody else.
bool IsPrivateFolder(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return false;
  return S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}
#endif

std::string LinkFolder() {
#ifndef _WIN32
  std::string runtime = EnvironmentValue("XDG_RUNTIME_DIR");
  if (!runtime.empty() && IsPrivateFolder(runtime)) return runtime;
  std::string folder = QDir::tempPath().toStdString() + "/drilling-" + std::to_string(::geteuid());
  ::mkdir(folder.c_str(), 0700);  // an existing one is checked below
  return IsPrivateFolder(folder) ? folder : std::string();
#else
  return QDir::tempPath().toStdString();
#endif
}

void PutLength(std::string& out, std::uint32_t n) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((n >> (8 * i)) & 0xFF);
}

std::uint32_t GetLength(const char* p) {
  std::uint32_t n = 0;
  for (int i = 0; i < 4; ++i) n |= static_cast<std::uint32_t>(static_cast<unsigned char>(p[i])) << (8 * i);
  return n;
}

bool KnownFrameType(char type) {
  return type == kFrameHello || type == kFrameLine || type == kFrameClose || type == kFrameRestore ||
         type == kFrameAck;
}

}  // namespace

std::string GraphicalSession() {
  // Wayland first: an X server under Wayland serves the same session.
  std::string wayland = EnvironmentValue("WAYLAND_DISPLAY");
  if (!wayland.empty()) return "wayland:" + wayland;
  std::string display = EnvironmentValue("DISPLAY");
  if (display.empty()) return {};
  // ":0" and ":0.1" are screens of one display, one session.
  std::size_t colon = display.rfind(':');
  std::size_t point = display.find('.', colon == std::string::npos ? 0 : colon);
  if (colon != std::string::npos && point != std::string::npos) display.erase(point);
  return "x11:" + display;
}

MessageLinkPaths MessageLinkPathsFor(const std::string& className, const std::string& windowName) {
  MessageLinkPaths paths;
  std::string folder = LinkFolder();
  if (folder.empty()) return paths;
  QByteArray identity;
  identity.append(UserName().c_str());
  identity.append('\0');
  identity.append(className.data(), static_cast<qsizetype>(className.size()));
  identity.append('\0');
  identity.append(windowName.data(), static_cast<qsizetype>(windowName.size()));
  // One message window per user and graphical session: a program on another
  // display must not talk to (or close) this one.
  const std::string session = GraphicalSession();
  identity.append('\0');
  identity.append(session.data(), static_cast<qsizetype>(session.size()));
  // 24 hex digits (96 bits) keep the path well inside the socket name limit.
  std::string hash = QCryptographicHash::hash(identity, QCryptographicHash::Sha256).toHex().left(24).toStdString();
  paths.socketPath = folder + "/msg-" + hash;
  paths.lockPath = paths.socketPath + ".lock";
  return paths;
}

std::string EncodeFrame(char type, std::string_view payload) {
  std::string out;
  out.reserve(kFrameHeaderBytes + payload.size());
  out += type;
  PutLength(out, static_cast<std::uint32_t>(payload.size()));
  out.append(payload);
  return out;
}

FrameReader::Status FrameReader::Next(char& type, std::string& payload) {
  std::size_t available = buffer_.size() - offset_;
  if (available < kFrameHeaderBytes) {
    // Keep the buffer from growing with consumed bytes.
    if (offset_ > 0) {
      buffer_.erase(0, offset_);
      offset_ = 0;
    }
    if (!buffer_.empty() && !KnownFrameType(buffer_[0])) return Status::Invalid;
    return Status::Incomplete;
  }
  const char* head = buffer_.data() + offset_;
  std::uint32_t length = GetLength(head + 1);
  if (!KnownFrameType(head[0]) || length > kMaxFramePayload) return Status::Invalid;
  if (available < kFrameHeaderBytes + length) {
    buffer_.erase(0, offset_);
    offset_ = 0;
    return Status::Incomplete;
  }
  type = head[0];
  payload.assign(head + kFrameHeaderBytes, length);
  offset_ += kFrameHeaderBytes + length;
  if (offset_ == buffer_.size()) {
    buffer_.clear();
    offset_ = 0;
  }
  return Status::Complete;
}

bool PeerIsSameUser(long long socketDescriptor) {
#if defined(__linux__)
  ucred cred{};
  socklen_t length = sizeof cred;
  if (::getsockopt(static_cast<int>(socketDescriptor), SOL_SOCKET, SO_PEERCRED, &cred, &length) != 0) return false;
  return cred.uid == ::geteuid();
#elif !defined(_WIN32)
  uid_t uid = 0;
  gid_t gid = 0;
  if (::getpeereid(static_cast<int>(socketDescriptor), &uid, &gid) != 0) return false;
  return uid == ::geteuid();
#else
  (void)socketDescriptor;
  return true;  // the named pipe's security descriptor admits the user only
#endif
}

InstanceLock::~InstanceLock() {
#ifndef _WIN32
  if (fd_ >= 0) ::close(fd_);
#endif
}

bool InstanceLock::TryAcquire(const std::string& lockPath) {
#ifndef _WIN32
  if (fd_ >= 0 || lockPath.empty()) return false;
  // The file is never removed: removing a lock file races with the next holder.
  int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return false;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return false;
  }
  std::string pid = std::to_string(::getpid()) + "\n";
  if (::ftruncate(fd, 0) == 0) {
    ssize_t written = ::pwrite(fd, pid.data(), pid.size(), 0);
    (void)written;  // the pid is a help for tools; the lock itself is what counts
  }
  fd_ = fd;
  return true;
#else
  (void)lockPath;
  return true;
#endif
}

bool MessageWindowRunning(const std::string& className, const std::string& windowName) {
#ifndef _WIN32
  MessageLinkPaths paths = MessageLinkPathsFor(className, windowName);
  if (paths.lockPath.empty()) return false;
  int fd = ::open(paths.lockPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return false;
  bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0;
  ::close(fd);
  return held;
#else
  return false;
#endif
}

long long MessageWindowPid(const std::string& className, const std::string& windowName) {
  MessageLinkPaths paths = MessageLinkPathsFor(className, windowName);
  if (paths.lockPath.empty()) return 0;
  std::error_code ec;
  if (!fs::is_regular_file(paths.lockPath, ec)) return 0;
  QFile file(QString::fromStdString(paths.lockPath));
  if (!file.open(QIODevice::ReadOnly)) return 0;
  return ParseLeadingInt(file.readAll().toStdString());
}

// ---------------------------------------------------------------------------
// Server side

struct MessageLinkServer::Private {
  Handlers handlers;
  std::unique_ptr<QLocalServer> server;
  std::vector<QPointer<QLocalSocket>> peers;

  struct PeerState {
    FrameReader reader;
    bool greeted = false;
  };

  void Accept();
  void Serve(QLocalSocket* socket, PeerState& state);
  void Drop(QLocalSocket* socket) {
    socket->abort();
    socket->deleteLater();
  }
};

void MessageLinkServer::Private::Accept() {
  while (server && server->hasPendingConnections()) {
    QLocalSocket* socket = server->nextPendingConnection();
    if (!socket) break;
    if (!PeerIsSameUser(socket->socketDescriptor())) {
      Drop(socket);
      continue;
    }
    auto state = std::make_shared<PeerState>();
    QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket, state] { Serve(socket, *state); });
    QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    peers.emplace_back(socket);
    // Bytes may already be waiting.
    if (socket->bytesAvailable() > 0) Serve(socket, *state);
  }
  // Forget sockets that are gone.
  std::erase_if(peers, [](const QPointer<QLocalSocket>& p) { return p.isNull(); });
}

void MessageLinkServer::Private::Serve(QLocalSocket* socket, PeerState& state) {
  QByteArray bytes = socket->readAll();
  state.reader.Append(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  char type = 0;
  std::string payload;
  bool acked = false;
  for (;;) {
    FrameReader::Status status = state.reader.Next(type, payload);
    if (status == FrameReader::Status::Incomplete) break;
    if (status == FrameReader::Status::Invalid) {
      Drop(socket);
      return;
    }
    if (!state.greeted) {
      if (type != kFrameHello || payload != kHelloPayload) {
        Drop(socket);
        return;
      }
      state.greeted = true;
      continue;
    }
    switch (type) {
      case kFrameLine:
        if (handlers.line) handlers.line(std::move(payload));
        socket->write(EncodeFrame(kFrameAck, {}).c_str(), static_cast<qint64>(kFrameHeaderBytes));
        acked = true;
        break;
      case kFrameClose:
        if (handlers.close) handlers.close();
        break;
      case kFrameRestore:
        if (handlers.restore) handlers.restore();
        break;
      default:  // a second hello or an ack: not from a client of ours
        Drop(socket);
        return;
    }
    // A handler may have stopped the server (and with it this socket).
    if (!server) return;
  }
  if (acked) socket->flush();
}

MessageLinkServer::MessageLinkServer(Handlers handlers) : d_(std::make_unique<Private>()) {
  d_->handlers = std::move(handlers);
}

MessageLinkServer::~MessageLinkServer() { Stop(); }

bool MessageLinkServer::Listen(const std::string& className, const std::string& windowName) {
  Stop();
  MessageLinkPaths paths = MessageLinkPathsFor(className, windowName);
  if (paths.socketPath.empty()) return false;
  QString name = QString::fromStdString(paths.socketPath);
  QLocalServer::removeServer(name);
  d_->server = std::make_unique<QLocalServer>();
  d_->server->setSocketOptions(QLocalServer::UserAccessOption);
  Private* d = d_.get();
  QObject::connect(d_->server.get(), &QLocalServer::newConnection, d_->server.get(), [d] { d->Accept(); });
  if (!d_->server->listen(name)) {
    d_->server.reset();
    return false;
  }
  return true;
}

void MessageLinkServer::Stop() {
  if (!d_->server) return;
  d_->server->close();  // also removes the socket file
  for (auto& peer : d_->peers) {
    if (!peer.isNull()) d_->Drop(peer.data());
  }
  d_->peers.clear();
  // Later, not now: Stop may run inside a handler called from a socket's signal.
  d_->server.release()->deleteLater();
}

}  // namespace common
