#include "tasks/Task.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

extern char** environ;

namespace velquarin::platform {

namespace {

class Pipe {
 public:
  Pipe() {
    if (::pipe2(fds_, O_CLOEXEC) != 0) fds_[0] = fds_[1] = -1;
  }
  ~Pipe() {
    closeRead();
    closeWrite();
  }
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;
  bool valid() const { return fds_[0] >= 0; }
  int read() const { return fds_[0]; }
  int write() const { return fds_[1]; }
  void closeRead() { closeOne(fds_[0]); }
  void closeWrite() { closeOne(fds_[1]); }

 private:
  static void closeOne(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
  int fds_[2];
};

bool limit(int resource, std::uint64_t value) {
  if (value == 0) return true;
  const rlimit limit{value, value};
  return ::setrlimit(resource, &limit) == 0;
}

// In the child between fork and exec: only async-signal-safe calls.
[[noreturn]] void execChild(const char* executable, char* const* argv, int output,
                            const TaskOptions& options) {
  const int null = ::open("/dev/null", O_RDWR);
  if (null < 0) ::_exit(127);
  ::dup2(options.standardInput >= 0 ? options.standardInput : null, STDIN_FILENO);
  ::dup2(output >= 0 ? output : null, STDOUT_FILENO);
  ::dup2(null, STDERR_FILENO);
  if (options.maxFileSize > 0) {
    if (!limit(RLIMIT_FSIZE, options.maxFileSize)) ::_exit(127);
    // A write past the limit fails (EFBIG) rather than ending the program with a core dump.
    ::signal(SIGXFSZ, SIG_IGN);
  }
  if (!limit(RLIMIT_CPU, options.maxCPUSeconds) || !limit(RLIMIT_AS, options.maxAddressSpace)) {
    ::_exit(127);
  }
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  ::execve(executable, argv, environ);
  ::_exit(127);
}

// Keeps what fits of `got` bytes under the capture limit.
void capture(std::string& output, std::size_t limit, const char* bytes, std::size_t got) {
  const std::size_t room = limit - std::min(limit, output.size());
  output.append(bytes, std::min(room, got));
}

// Reads what the pipe holds now and no more: something the program started may still hold
// it open and write on.
void drainPending(int fd, std::size_t limit, std::string& output) {
  int pending = 0;
  if (::ioctl(fd, FIONREAD, &pending) != 0) return;
  char buffer[4096];
  while (pending > 0) {
    const ssize_t got =
        ::read(fd, buffer, std::min(sizeof buffer, static_cast<std::size_t>(pending)));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return;
    capture(output, limit, buffer, static_cast<std::size_t>(got));
    pending -= static_cast<int>(got);
  }
}

}  // namespace

TaskResult runTask(const std::string& executable, const std::vector<std::string>& arguments,
                   const TaskOptions& options) {
  TaskResult result;
  if (executable.empty() || executable.front() != '/') return result;
  std::vector<char*> argv;
  argv.reserve(arguments.size() + 2);
  argv.push_back(const_cast<char*>(executable.c_str()));
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  Pipe output;
  if (!output.valid()) return result;
  const pid_t pid = ::fork();
  if (pid < 0) return result;
  if (pid == 0) execChild(executable.c_str(), argv.data(), output.write(), options);
  output.closeWrite();
  result.launched = true;

  // Read (or drain) the output and ask keepGoing between waits, until the pipe closes and
  // the program has ended.
  bool open = true;
  int status = 0;
  const long interval = std::max<long>(1, options.pollInterval.count());
  char buffer[4096];
  const auto started = std::chrono::steady_clock::now();
  auto lastAsked = started;
  for (;;) {
    if (open) {
      pollfd readable{output.read(), POLLIN, 0};
      const int ready = ::poll(&readable, 1, static_cast<int>(interval));
      if (ready > 0) {
        const ssize_t got = ::read(output.read(), buffer, sizeof buffer);
        if (got > 0) {
          capture(result.output, options.captureOutput, buffer, static_cast<std::size_t>(got));
        } else if (got == 0 || errno != EINTR) {
          open = false;
          output.closeRead();
        }
      }
    } else {
      // Output closed: the program is usually about to end, so look again soon.
      ::usleep(static_cast<useconds_t>(std::min<long>(interval, 2)) * 1000);
    }
    const pid_t ended = ::waitpid(pid, &status, WNOHANG);
    if (ended == pid) {
      // Its last output may have arrived after the look above.
      if (open) drainPending(output.read(), options.captureOutput, result.output);
      break;
    }
    if (ended < 0 && errno != EINTR) return result;
    const auto now = std::chrono::steady_clock::now();
    const bool late = options.timeLimit.count() > 0 && now - started >= options.timeLimit;
    if (late || (options.keepGoing && now - lastAsked >= options.pollInterval)) {
      lastAsked = now;
      if (!late && options.keepGoing()) continue;
      ::kill(pid, SIGKILL);
      while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
      result.stopped = true;
      break;
    }
  }
  if (WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  return result;
}

}  // namespace velquarin::platform
