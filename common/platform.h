// Calls into the operating system that both programs need, behind one seam so
// that a Windows build only has to provide this file's other half.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace common {

// The running executable's own path (absolute).
std::filesystem::path ExecutablePath();

// Where an installation keeps the shared data of the programs installed in
// `executableFolder`: the "share" folder beside it (/usr/bin -> /usr/share).
// Empty where an installation keeps its data beside the programs.
std::filesystem::path SharedDataRoot(const std::filesystem::path& executableFolder);

// The root of the user's own data: $XDG_DATA_HOME when it is an absolute
// path, else ~/.local/share (%LOCALAPPDATA% on Windows); empty when the
// user has no known home.
std::filesystem::path UserDataHome();

// The log-in name of the user (empty when it cannot be found).
std::string UserName();

// The computer's host name (empty when it cannot be found).
std::string HostName();

// The first IPv4 address of the host, "0.0.0.0" when it has none.
std::string FirstIPv4Address();

// Executable file name of a program of this system on this platform
// ("Relaypane" here, "Relaypane.exe" on Windows).
std::string ExecutableName(const std::string& baseName);

// Environment lookup; empty when unset.
std::string EnvironmentValue(const char* name);

// The first executable file called `name` in the folders of PATH, as the
// system's own program start looks it up (an unset PATH is the system's
// default one; an empty entry is the current folder). Empty when there is none.
std::string FindOnPath(const std::string& name);

}  // namespace common
