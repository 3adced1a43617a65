#include "common/platform.h"

#include <cstdlib>
#include <system_error>

#ifndef _WIN32
#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netdb.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace common {

fs::path ExecutablePath() {
  std::error_code ec;
  fs::path p = fs::read_symlink("/proc/self/exe", ec);
  return ec ? fs::path() : p;
}

std::string EnvironmentValue(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

std::string FindOnPath(const std::string& name) {
#ifdef _WIN32
  const char separator = ';';
  const std::string path = EnvironmentValue("PATH");
#else
  const char separator = ':';
  std::string path = EnvironmentValue("PATH");
  if (path.empty()) path = "/usr/local/bin:/usr/bin:/bin";
#endif
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = path.find(separator, start);
    const std::string folder = path.substr(start, end == std::string::npos ? std::string::npos : end - start);
    const fs::path candidate = fs::path(folder.empty() ? std::string(".") : folder) / name;
    std::error_code ec;
#ifdef _WIN32
    if (fs::is_regular_file(candidate, ec)) return candidate.string();
#else
    if (fs::is_regular_file(candidate, ec) && ::access(candidate.c_str(), X_OK) == 0) return candidate.string();
#endif
    if (end == std::string::npos) return {};
    start = end + 1;
  }
}

fs::path SharedDataRoot(const fs::path& executableFolder) {
#ifdef _WIN32
  (void)executableFolder;
  return {};
#else
  if (executableFolder.empty()) return {};
  return executableFolder.parent_path() / "share";
#endif
}

fs::path UserDataHome() {
#ifdef _WIN32
  std::string local = EnvironmentValue("LOCALAPPDATA");
  return local.empty() ? fs::path() : fs::path(local);
#else
  // A relative XDG_DATA_HOME is invalid and ignored, as the base directory
  // rules of the desktop say.
  std::string xdg = EnvironmentValue("XDG_DATA_HOME");
  if (!xdg.empty() && fs::path(xdg).is_absolute()) return xdg;
  std::string home = EnvironmentValue("HOME");
  if (home.empty() || !fs::path(home).is_absolute()) {
    const passwd* pw = getpwuid(geteuid());
    home = (pw && pw->pw_dir) ? pw->pw_dir : "";
  }
  if (home.empty()) return {};
  return fs::path(home) / ".local" / "share";
#endif
}

std::string UserName() {
  if (const passwd* pw = getpwuid(geteuid())) return pw->pw_name;
  return EnvironmentValue("USER");
}

std::string HostName() {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) return {};
  return name;
}

std::string FirstIPv4Address() {
  // The address the host name resolves to, as a platform look-up of the host
  // would give; failing that, the first configured interface address.
  std::string host = HostName();
  if (!host.empty()) {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    addrinfo* res = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &res) == 0 && res) {
      char text[INET_ADDRSTRLEN] = {};
      auto* sin = reinterpret_cast<sockaddr_in*>(res->ai_addr);
      inet_ntop(AF_INET, &sin->sin_addr, text, sizeof text);
      freeaddrinfo(res);
      if (text[0]) return text;
    }
  }
  ifaddrs* list = nullptr;
  std::string result = "0.0.0.0";
  if (getifaddrs(&list) == 0) {
    for (ifaddrs* a = list; a; a = a->ifa_next) {
      if (a->ifa_addr && a->ifa_addr->sa_family == AF_INET) {
        char text[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(a->ifa_addr)->sin_addr, text, sizeof text);
        result = text;
        break;
      }
    }
    freeifaddrs(list);
  }
  return result;
}

std::string ExecutableName(const std::string& baseName) {
#ifdef _WIN32
  return baseName + ".exe";
#else
  return baseName;
#endif
}

}  // namespace common
