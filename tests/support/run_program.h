// Starting a program of the build from a test: its standard handles go to
// files (or /dev/null), and its exit status is collected.
#pragma once

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace testsupport {

// Standard input, output and error of a started program; empty: /dev/null.
// Output files are created or emptied.
struct StandardFiles {
  std::filesystem::path in, out, err;
};

// Starts argv[0] with `argv` and the environment `envp` (null: this
// process's). The pid, or -1 when it could not be started.
inline pid_t StartProgram(std::vector<std::string> argv, const StandardFiles& files, char* const* envp = nullptr) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  auto redirect = [&actions](int fd, const std::filesystem::path& path, int flags) {
    posix_spawn_file_actions_addopen(&actions, fd, path.empty() ? "/dev/null" : path.c_str(), flags, 0600);
  };
  redirect(0, files.in, O_RDONLY);
  redirect(1, files.out, O_WRONLY | O_CREAT | O_TRUNC);
  redirect(2, files.err, O_WRONLY | O_CREAT | O_TRUNC);
  std::vector<char*> args;
  for (auto& a : argv) args.push_back(a.data());
  args.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), envp ? envp : environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

// The exit status of `pid` once it has ended; -1 when it was not started or
// did not exit normally (a signal).
inline int WaitForExit(pid_t pid) {
  int status = 0;
  if (pid <= 0 || waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Starts and waits: the exit status as WaitForExit gives it.
inline int RunProgram(std::vector<std::string> argv, const StandardFiles& files, char* const* envp = nullptr) {
  return WaitForExit(StartProgram(std::move(argv), files, envp));
}

// The same with the environment `env` ("NAME=value" each) and nothing else.
inline int RunProgram(std::vector<std::string> argv, const StandardFiles& files, std::vector<std::string> env) {
  std::vector<char*> envp;
  for (auto& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  return RunProgram(std::move(argv), files, envp.data());
}

}  // namespace testsupport
