// The local-socket link between the drilling program and its message window:
// where the socket of one window identity lives, the frames that travel over
// it, the single-instance lock of the window program, and the server side
// that the message window runs.
//
// Wire format: frames of one type byte, a 32-bit little-endian payload length
// and the payload. A client opens with a hello frame; after it, a line frame
// (UTF-8 text) is answered by one ack frame once the line is in the list;
// close and restore frames are not answered. Anything else ends the
// connection. Only processes of the same user get through: the socket lies in
// a folder private to the user, carries owner-only permissions, and both
// sides check the peer's user id.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace common {

// Frame types.
constexpr char kFrameHello = 'H';
constexpr char kFrameLine = 'L';
constexpr char kFrameClose = 'C';
constexpr char kFrameRestore = 'R';
constexpr char kFrameAck = 'A';

constexpr std::size_t kFrameHeaderBytes = 5;
// A line is at most 1023 bytes of code page 932; its UTF-8 form can be half
// as long again. Anything much longer is not a line of ours.
constexpr std::size_t kMaxFramePayload = 8192;
// The hello frame's payload (protocol name and version).
constexpr std::string_view kHelloPayload = "DrillingMessageChannel 1";

struct MessageLinkPaths {
  std::string socketPath;  // empty when no safe folder could be found
  std::string lockPath;
};

// The graphical session of this process: "wayland:<WAYLAND_DISPLAY>", else
// "x11:<DISPLAY>" without its screen number, else empty (no display).
std::string GraphicalSession();

// The socket and lock paths of the message window with this identity for the
// current user and graphical session. The names are a hash of the user name,
// the class name, the window name and the session, so two identities, two
// users or two displays never meet. The folder is
// XDG_RUNTIME_DIR when it is private to the user, otherwise a folder
// "drilling-<uid>" in the temporary folder, created with owner-only rights
// (refused when it exists with other rights or another owner).
MessageLinkPaths MessageLinkPathsFor(const std::string& className, const std::string& windowName);

std::string EncodeFrame(char type, std::string_view payload);

// Takes frames from a byte stream that arrives in pieces.
class FrameReader {
 public:
  enum class Status { Incomplete, Complete, Invalid };
  void Append(std::string_view bytes) { buffer_.append(bytes); }
  // The next whole frame, Incomplete when more bytes are needed, Invalid for
  // an unknown type or an over-long payload (the stream is then unusable).
  Status Next(char& type, std::string& payload);

 private:
  std::string buffer_;
  std::size_t offset_ = 0;
};

// True when the process at the other end of a connected local socket runs
// under this process's user id.
bool PeerIsSameUser(long long socketDescriptor);

// The window program's single-instance lock: held for the life of the
// process (the system drops it when the process ends, however it ends). The
// lock file holds the holder's process id.
class InstanceLock {
 public:
  InstanceLock() = default;
  InstanceLock(const InstanceLock&) = delete;
  InstanceLock& operator=(const InstanceLock&) = delete;
  ~InstanceLock();
  // False when another process holds it (or the file cannot be opened).
  bool TryAcquire(const std::string& lockPath);

 private:
  int fd_ = -1;
};

// True while a message window of this identity holds its lock (it runs, or
// is still writing its log on its way out).
bool MessageWindowRunning(const std::string& className, const std::string& windowName);
// The process id written into the lock file, 0 when there is none.
long long MessageWindowPid(const std::string& className, const std::string& windowName);

// The server side, run by the message window program on its only thread.
class MessageLinkServer {
 public:
  struct Handlers {
    std::function<void(std::string line)> line;  // append and select; acked after it returns
    std::function<void()> close;                 // the close request (post it: it is not waited for)
    std::function<void()> restore;               // bring the window back from the minimised state
  };
  explicit MessageLinkServer(Handlers handlers);
  ~MessageLinkServer();
  MessageLinkServer(const MessageLinkServer&) = delete;
  MessageLinkServer& operator=(const MessageLinkServer&) = delete;

  // Listens at the identity's socket (a stale socket file of an ended
  // instance is replaced: call only while holding the instance lock).
  bool Listen(const std::string& className, const std::string& windowName);
  // Stops listening and drops every connection; clients then see the window
  // gone.
  void Stop();

 private:
  struct Private;
  std::unique_ptr<Private> d_;
};

}  // namespace common
