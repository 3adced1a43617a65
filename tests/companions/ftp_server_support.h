// A real FTP server for the transfer tests: pyftpdlib (Debian's
// python3-pyftpdlib) on 127.0.0.1 at a port the system picks, serving one
// folder to two accounts: "cam" / "secret" may upload, "viewer" / "look" may
// only read (the server refuses its uploads), and any further accounts the
// test gives (they may upload). Started by the constructor, stopped by the
// destructor.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

// What the server says it is (its answer to SYST) and how it stores a file
// sent in ASCII mode.
enum class FtpSystem {
  Unix,       // "215 UNIX Type: L8"; ASCII uploads stored with LF line ends
  WindowsNt,  // "215 Windows_NT"; ASCII uploads stored as sent (CR LF), as a Windows host does
  Silent,     // "502" to SYST; ASCII uploads stored as sent
};

struct FtpAccount {
  std::string user;
  std::string password;
};

class FtpServer {
 public:
  explicit FtpServer(const std::filesystem::path& root, FtpSystem system = FtpSystem::Unix,
                     const std::vector<FtpAccount>& accounts = {});
  ~FtpServer();
  FtpServer(const FtpServer&) = delete;
  FtpServer& operator=(const FtpServer&) = delete;

  // 0 when the server did not come up (error() says why).
  int Port() const { return port_; }
  const std::string& Error() const { return error_; }

 private:
  pid_t pid_ = -1;
  int port_ = 0;
  std::string error_;
};

// A TCP port on 127.0.0.1 where nothing listens (taken and let go at once).
int UnusedLoopbackPort();

// A server that takes connections on 127.0.0.1 and never answers: an ftp
// client waits there for the greeting until it is ended.
class SilentServer {
 public:
  SilentServer();
  ~SilentServer();
  SilentServer(const SilentServer&) = delete;
  SilentServer& operator=(const SilentServer&) = delete;
  int Port() const { return port_; }

 private:
  int fd_ = -1;
  int port_ = 0;
};

// True while process `pid` runs (absent or a zombie: not running).
bool IsRunning(pid_t pid);

// The processes whose parent is `parent` (from /proc).
std::vector<pid_t> ChildrenOf(pid_t parent);

}  // namespace testsupport
