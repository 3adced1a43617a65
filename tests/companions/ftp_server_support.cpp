#include "companions/ftp_server_support.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

extern char** environ;

namespace testsupport {
namespace {

// Debian's interpreter: the package installs the library for it, whatever
// other python3 comes first on PATH.
constexpr const char* kPython = "/usr/bin/python3";

// Arguments: the folder, the system ("unix", "windows", "silent"), then
// user and password of each further account. Failed log-ins are answered at
// once (the library waits seconds by default); the port the server was given
// is printed once it listens.
constexpr const char* kServerScript = R"(
import sys
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, DTPHandler
from pyftpdlib.servers import FTPServer
root, system = sys.argv[1], sys.argv[2]
authorizer = DummyAuthorizer()
authorizer.add_user("cam", "secret", root, perm="elradfmw")
authorizer.add_user("viewer", "look", root, perm="elr")
for i in range(3, len(sys.argv) - 1, 2):
    authorizer.add_user(sys.argv[i], sys.argv[i + 1], root, perm="elradfmw")
class AsSent(DTPHandler):
    # A Windows host keeps the CR LF of an ASCII upload as it came.
    def enable_receiving(self, type, cmd):
        DTPHandler.enable_receiving(self, type, cmd)
        self._data_wrapper = None
class Handler(FTPHandler):
    def ftp_SYST(self, line):
        if system == "unix":
            self.respond("215 UNIX Type: L8")
        elif system == "windows":
            self.respond("215 Windows_NT")
        else:
            self.respond("502 Command not implemented.")
if system != "unix":
    Handler.dtp_handler = AsSent
Handler.authorizer = authorizer
Handler.auth_failed_timeout = 0
server = FTPServer(("127.0.0.1", 0), Handler)
print(server.address[1], flush=True)
server.serve_forever()
)";

constexpr int kStartWaitMs = 20000;

}  // namespace

FtpServer::FtpServer(const std::filesystem::path& root, FtpSystem system, const std::vector<FtpAccount>& accounts) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) {
    error_ = "no pipe";
    return;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const std::string python = kPython;
  std::vector<std::string> args{python, "-c", kServerScript, root.string(),
                                system == FtpSystem::Unix        ? "unix"
                                : system == FtpSystem::WindowsNt ? "windows"
                                                                 : "silent"};
  for (const FtpAccount& account : accounts) {
    args.push_back(account.user);
    args.push_back(account.password);
  }
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  int rc = posix_spawn(&pid_, kPython, &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(fds[1]);
  if (rc != 0) {
    pid_ = -1;
    ::close(fds[0]);
    error_ = "cannot start /usr/bin/python3";
    return;
  }
  std::string line;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartWaitMs);
  while (line.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
    pollfd p{fds[0], POLLIN, 0};
    if (::poll(&p, 1, 100) <= 0) continue;
    char buffer[64];
    ssize_t n = ::read(fds[0], buffer, sizeof buffer);
    if (n <= 0) break;  // the server ended (library missing)
    line.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fds[0]);
  port_ = std::atoi(line.c_str());
  if (port_ <= 0) {
    port_ = 0;
    error_ = "the FTP server did not start (is python3-pyftpdlib installed? scripts/setup-debian.sh --tests)";
  }
}

FtpServer::~FtpServer() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGKILL);
  int status = 0;
  while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
}

int UnusedLoopbackPort() {
  int s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t size = sizeof address;
  int port = 0;
  if (::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) == 0)
    port = ntohs(address.sin_port);
  ::close(s);
  return port;
}

SilentServer::SilentServer() {
  fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  // Listening without accepting: the kernel completes the connections.
  if (fd_ >= 0 && ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && ::listen(fd_, 8) == 0 &&
      ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &size) == 0)
    port_ = ntohs(address.sin_port);
}

SilentServer::~SilentServer() {
  if (fd_ >= 0) ::close(fd_);
}

namespace {

// The fields of /proc/<pid>/stat after the command name: state, parent, ...
bool ReadStat(pid_t pid, char& state, pid_t& parent) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::size_t close = text.rfind(')');
  if (close == std::string::npos) return false;
  std::istringstream rest(text.substr(close + 1));
  long ppid = 0;
  rest >> state >> ppid;
  parent = static_cast<pid_t>(ppid);
  return static_cast<bool>(rest);
}

}  // namespace

bool IsRunning(pid_t pid) {
  char state = 0;
  pid_t parent = 0;
  return ReadStat(pid, state, parent) && state != 'Z' && state != 'X';
}

std::vector<pid_t> ChildrenOf(pid_t parent) {
  std::vector<pid_t> children;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    const pid_t pid = static_cast<pid_t>(std::atol(name.c_str()));
    char state = 0;
    pid_t ppid = 0;
    if (ReadStat(pid, state, ppid) && ppid == parent) children.push_back(pid);
  }
  return children;
}

}  // namespace testsupport
