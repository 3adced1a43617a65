// A real FTP server for the transfer tests: pyftpdlib (Debian's
// python3-pyftpdlib) on 127.0.0.1 at a port the system picks, serving one
// folder to two accounts: "cam" / "secret" may upload, "viewer" / "look" may
// only read (the server refuses its uploads). Started by the constructor,
// stopped by the destructor.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>

namespace testsupport {

class FtpServer {
 public:
  explicit FtpServer(const std::filesystem::path& root);
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

}  // namespace testsupport
