// Starting a program for the driver: posix_spawn from an argument vector,
// never a shell, so nothing in the arguments is interpreted.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "outside/shell/shell.h"

extern char** environ;

namespace olconn97::shell {

namespace {

// Programs started and not yet known to have ended. The driver does not
// wait for them, but a long-running host must not collect their zombies:
// each start reaps those that ended meanwhile.
std::vector<pid_t>& StartedPrograms() {
  static std::vector<pid_t> started;
  return started;
}

void ReapEnded() {
  auto& started = StartedPrograms();
  std::erase_if(started, [](pid_t pid) {
    int status = 0;
    return waitpid(pid, &status, WNOHANG) != 0;  // ended, or not ours to wait for any more
  });
}

}  // namespace

Result<int> PosixShell::StartProgram(const std::vector<std::string>& argv) {
  if (argv.empty() || argv[0].empty()) {
    return Status::InvalidArgument(SystemErrorText(ENOENT));
  }
  ReapEnded();
  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // Its own session: the host's terminal signals (Ctrl+C) do not reach it.
  // A clean signal state: the host may block or ignore signals for itself.
  sigset_t none;
  sigemptyset(&none);
  sigset_t all;
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &all);
  posix_spawnattr_setflags(&attributes,
                           POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  pid_t pid = -1;
  int error = posix_spawn(&pid, args[0], &actions, &attributes, args.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) {
    return Status::Error(Status::FromErrno(error, "").code(), SystemErrorText(error));
  }
  StartedPrograms().push_back(pid);
  return static_cast<int>(pid);
}

}  // namespace olconn97::shell
