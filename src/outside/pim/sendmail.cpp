#include "outside/pim/sendmail.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <utility>

#include "base/result.h"
#include "base/strings.h"
#include "outside/pim/mail_header.h"

extern char** environ;

#include "outside/shell/file_io.h"

namespace olconn97::pim {
namespace {

// How much of the program's output a failure keeps.
constexpr size_t kOutputTail = 400;

using shell::ScopedFd;

class SpawnActions {
 public:
  SpawnActions() { posix_spawn_file_actions_init(&actions_); }
  ~SpawnActions() { posix_spawn_file_actions_destroy(&actions_); }
  SpawnActions(const SpawnActions&) = delete;
  SpawnActions& operator=(const SpawnActions&) = delete;
  posix_spawn_file_actions_t* get() { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_;
};

class SpawnAttributes {
 public:
  SpawnAttributes() { posix_spawnattr_init(&attributes_); }
  ~SpawnAttributes() { posix_spawnattr_destroy(&attributes_); }
  SpawnAttributes(const SpawnAttributes&) = delete;
  SpawnAttributes& operator=(const SpawnAttributes&) = delete;
  posix_spawnattr_t* get() { return &attributes_; }

 private:
  posix_spawnattr_t attributes_;
};

// Blocks SIGPIPE in this thread while the message is written, and takes
// back a SIGPIPE the writes raised: the host may not ignore the signal,
// and its disposition is the host's, not ours to change.
class ScopedSigpipeBlock {
 public:
  ScopedSigpipeBlock() {
    sigemptyset(&pipe_only_);
    sigaddset(&pipe_only_, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe_only_, &previous_);
    sigset_t pending;
    sigpending(&pending);
    was_pending_ = sigismember(&pending, SIGPIPE) == 1;
  }
  ~ScopedSigpipeBlock() {
    sigset_t pending;
    sigpending(&pending);
    if (!was_pending_ && sigismember(&pending, SIGPIPE) == 1) {
      timespec no_wait{};
      sigtimedwait(&pipe_only_, nullptr, &no_wait);
    }
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
  }
  ScopedSigpipeBlock(const ScopedSigpipeBlock&) = delete;
  ScopedSigpipeBlock& operator=(const ScopedSigpipeBlock&) = delete;

 private:
  sigset_t pipe_only_;
  sigset_t previous_;
  bool was_pending_ = false;
};

struct Child {
  pid_t pid = -1;
  ScopedFd input;   // the program's standard input
  ScopedFd output;  // its standard output and error, together
};

// Whether the options ask the program to take the recipients from the
// header: "-t", also inside a group of flags ("-ti"), or "--read-recipients".
bool ReadsRecipientsFromHeader(const std::vector<std::string>& words) {
  for (size_t i = 1; i < words.size(); ++i) {
    std::string_view word = words[i];
    if (word == "--read-recipients") return true;
    if (word.size() < 2 || word[0] != '-' || word[1] == '-') continue;
    for (char flag : word.substr(1)) {
      if (flag == 't') return true;
      // Any other flag than these takes a value: the rest of the word.
      if (std::strchr("imvnUG", flag) == nullptr) break;
    }
  }
  return false;
}

std::vector<std::string> RecipientArguments(const std::vector<std::string>& recipients) {
  std::vector<std::string> arguments;
  for (const std::string& recipient : recipients) {
    std::optional<std::string> address = AddressOf(HeaderSafeText(recipient));
    if (address.has_value() && !address->starts_with('-')) arguments.push_back(*address);
  }
  return arguments;
}

Result<Child> Spawn(const std::vector<std::string>& words) {
  int input_pipe[2];
  int output_pipe[2];
  if (pipe2(input_pipe, O_CLOEXEC) != 0) return Status::FromErrno(errno, "mail program input");
  ScopedFd input_read(input_pipe[0]), input_write(input_pipe[1]);
  if (pipe2(output_pipe, O_CLOEXEC) != 0) return Status::FromErrno(errno, "mail program output");
  ScopedFd output_read(output_pipe[0]), output_write(output_pipe[1]);

  SpawnActions actions;
  posix_spawn_file_actions_adddup2(actions.get(), input_read.get(), STDIN_FILENO);
  posix_spawn_file_actions_adddup2(actions.get(), output_write.get(), STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(actions.get(), output_write.get(), STDERR_FILENO);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
  // Descriptors the host opened without close-on-exec stay out of the program.
  posix_spawn_file_actions_addclosefrom_np(actions.get(), STDERR_FILENO + 1);
#endif
  // The program starts with the default SIGPIPE and no blocked signals,
  // whatever the host set for itself.
  SpawnAttributes attributes;
  sigset_t none, pipe_only;
  sigemptyset(&none);
  sigemptyset(&pipe_only);
  sigaddset(&pipe_only, SIGPIPE);
  posix_spawnattr_setsigmask(attributes.get(), &none);
  posix_spawnattr_setsigdefault(attributes.get(), &pipe_only);
  posix_spawnattr_setflags(attributes.get(), POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  std::vector<char*> argv;
  for (const std::string& word : words) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  Child child;
  int error =
      posix_spawnp(&child.pid, argv[0], actions.get(), attributes.get(), argv.data(), environ);
  if (error != 0) return Status::FromErrno(error, "starting the mail program " + words[0]);
  fcntl(input_write.get(), F_SETFL, O_NONBLOCK);
  child.input = std::move(input_write);
  child.output = std::move(output_read);
  return child;
}

// Keeps the last kOutputTail bytes the program wrote.
void KeepTail(std::string& tail, const char* data, size_t size) {
  tail.append(data, size);
  if (tail.size() > kOutputTail) tail.erase(0, tail.size() - kOutputTail);
}

// Writes `input` while reading the program's output, so neither side waits
// for the other with a full pipe, until the output ends.
void Exchange(Child& child, std::string_view input, std::string& output) {
  ScopedSigpipeBlock no_sigpipe;
  size_t written = 0;
  if (input.empty()) child.input.Reset();
  while (child.input.valid() || child.output.valid()) {
    pollfd fds[2] = {{child.output.get(), POLLIN, 0}, {child.input.get(), POLLOUT, 0}};
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (fds[1].revents != 0) {
      ssize_t count = write(child.input.get(), input.data() + written, input.size() - written);
      if (count > 0) written += static_cast<size_t>(count);
      // EPIPE: the program stopped reading; its exit code tells why.
      bool failed = count < 0 && errno != EAGAIN && errno != EINTR;
      if (failed || written == input.size()) child.input.Reset();
    }
    if (fds[0].revents != 0) {
      char buffer[4096];
      ssize_t count = read(child.output.get(), buffer, sizeof buffer);
      if (count > 0) KeepTail(output, buffer, static_cast<size_t>(count));
      if (count == 0 || (count < 0 && errno != EAGAIN && errno != EINTR)) child.output.Reset();
    }
  }
  // After a failed poll: the program sees the end of its input and is not
  // left waiting for more while we wait for it.
  child.input.Reset();
  child.output.Reset();
}

Result<int> WaitFor(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return Status::FromErrno(errno, "waiting for the mail program");
  }
  return status;
}

Status ExitStatus(const std::string& program, int status, const std::string& output) {
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return Status::Ok();
  std::string description = "the mail program " + program;
  description += WIFEXITED(status) ? " ended with exit code " + std::to_string(WEXITSTATUS(status))
                                   : " was ended by signal " + std::to_string(WTERMSIG(status));
  std::string said(TrimBlanks(HeaderSafeText(output)));
  if (!said.empty()) description += ": " + said;
  return Status::Failed(std::move(description), "sendmail");
}

}  // namespace

std::vector<std::string> SplitCommandWords(std::string_view command_line) {
  std::vector<std::string> words;
  std::string current;
  bool in_word = false;
  bool quoted = false;
  for (char c : command_line) {
    if (c == '"') {
      quoted = !quoted;
      in_word = true;
    } else if (c == ' ' && !quoted) {
      if (in_word) words.push_back(std::move(current));
      current.clear();
      in_word = false;
    } else {
      current += c;
      in_word = true;
    }
  }
  if (in_word) words.push_back(std::move(current));
  return words;
}

Status SendWithSendmail(std::string_view command_line, const MailMessage& message) {
  std::vector<std::string> words = SplitCommandWords(command_line);
  if (words.empty() || words[0].empty()) {
    return Status::InvalidArgument("no mail program is configured", "sendmail");
  }
  if (!ReadsRecipientsFromHeader(words)) {
    std::vector<std::string> recipients = RecipientArguments(message.to);
    if (recipients.empty()) {
      return Status::InvalidArgument("the mail has no recipient address to pass on", "sendmail");
    }
    words.insert(words.end(), recipients.begin(), recipients.end());
  }
  OLC_ASSIGN_OR_RETURN(Child child, Spawn(words));
  std::string output;
  Exchange(child, ReplaceAll(WriteMail(message), "\r\n", "\n"), output);
  OLC_ASSIGN_OR_RETURN(int status, WaitFor(child.pid));
  return ExitStatus(words[0], status, output);
}

}  // namespace olconn97::pim
