#include "Logging/ZqCrashHandler.h"

#include <dlfcn.h>
#include <execinfo.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <time.h>
#include <ucontext.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <mutex>

#include "Logging/ZqCrashEvent.h"

namespace {

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
constexpr std::size_t kSignalCount = std::size(kFatalSignals);
constexpr int kMaximumFrames = 64;
constexpr std::size_t kReleaseBytes = 256;
// Room for "/crash-<seconds>-<pid>-<tid>.event" after the folder.
constexpr std::size_t kDirectoryBytes = PATH_MAX - 96;

// Everything the handler reads is prepared here beforehand: it allocates nothing. Two
// configurations, so a later install never rewrites the one a crashing thread may be reading.
struct Configuration {
  char directory[kDirectoryBytes];
  char release[kReleaseBytes];
};
Configuration configurations[2];
std::atomic<int> activeConfiguration{-1};

struct sigaction previousActions[kSignalCount];
std::atomic<bool> installed{false};
std::mutex installMutex;

// The host engine's WebAssembly trap handler: its out-of-bounds accesses fault on purpose and
// are not crashes. Looked up by name so the module needs no engine headers.
using TrapHandler = bool (*)(int, siginfo_t*, void*);
TrapHandler engineTrapHandler = nullptr;

// 0: no crash yet, 1: a thread is writing its event, 2: written.
std::atomic<int> crashState{0};

alignas(16) char alternateStack[64 * 1024];

int signalIndex(int signal) {
  for (std::size_t i = 0; i < kSignalCount; ++i) {
    if (kFatalSignals[i] == signal) return static_cast<int>(i);
  }
  return -1;
}

// Buffered output to a descriptor with no allocation and no stdio.
class SafeWriter {
 public:
  explicit SafeWriter(int fd) : fd_(fd) {}
  ~SafeWriter() { flush(); }
  SafeWriter(const SafeWriter&) = delete;
  SafeWriter& operator=(const SafeWriter&) = delete;

  void put(char c) {
    if (used_ == sizeof buffer_) flush();
    buffer_[used_++] = c;
  }
  void put(const char* text) {
    while (*text) put(*text++);
  }
  // Printable ASCII only, so a name can never break the line format.
  void putPrintable(const char* text, std::size_t limit) {
    for (std::size_t i = 0; i < limit && text[i]; ++i) {
      const char c = text[i];
      put(c >= 0x20 && c < 0x7F ? c : '?');
    }
  }
  void putDecimal(long long value) {
    char digits[24];
    int count = 0;
    unsigned long long magnitude =
        value < 0 ? 0ULL - static_cast<unsigned long long>(value) : value;
    do {
      digits[count++] = static_cast<char>('0' + magnitude % 10);
      magnitude /= 10;
    } while (magnitude);
    if (value < 0) put('-');
    while (count) put(digits[--count]);
  }
  void putHex(std::uintptr_t value) {
    put("0x");
    for (int shift = static_cast<int>(sizeof value * 8) - 4; shift >= 0; shift -= 4) {
      put("0123456789abcdef"[(value >> shift) & 0xF]);
    }
  }
  void field(const char* key, long long value) {
    put(key);
    put(' ');
    putDecimal(value);
    put('\n');
  }
  bool flush() {
    const char* data = buffer_;
    while (used_ > 0) {
      const ssize_t written = ::write(fd_, data, used_);
      if (written < 0) {
        if (errno == EINTR) continue;
        failed_ = true;
        used_ = 0;
        break;
      }
      data += written;
      used_ -= static_cast<std::size_t>(written);
    }
    return !failed_;
  }
  bool failed() const { return failed_; }

 private:
  int fd_;
  char buffer_[2048];
  std::size_t used_ = 0;
  bool failed_ = false;
};

// A path from the folder and a name built from numbers, into a fixed buffer.
class PathBuilder {
 public:
  void put(const char* text) {
    while (*text && used_ + 1 < sizeof path_) path_[used_++] = *text++;
    path_[used_] = 0;
  }
  void putDecimal(long long value) {
    char digits[24];
    int count = 0;
    unsigned long long magnitude =
        value < 0 ? 0ULL - static_cast<unsigned long long>(value) : value;
    do {
      digits[count++] = static_cast<char>('0' + magnitude % 10);
      magnitude /= 10;
    } while (magnitude);
    char text[26];
    int i = 0;
    if (value < 0) text[i++] = '-';
    while (count) text[i++] = digits[--count];
    text[i] = 0;
    put(text);
  }
  const char* c_str() const { return path_; }

 private:
  char path_[PATH_MAX];
  std::size_t used_ = 0;
};

std::uintptr_t faultingInstruction(void* context) {
  if (!context) return 0;
  [[maybe_unused]] auto* user = static_cast<ucontext_t*>(context);
#if defined(__x86_64__)
  return static_cast<std::uintptr_t>(user->uc_mcontext.gregs[REG_RIP]);
#elif defined(__aarch64__)
  return static_cast<std::uintptr_t>(user->uc_mcontext.pc);
#else
  return 0;
#endif
}

void writeEvent(int signal, const siginfo_t* info, void* context) {
  const int active = activeConfiguration.load();
  if (active < 0) return;
  const Configuration& configuration = configurations[active];

  struct timespec now {};
  clock_gettime(CLOCK_REALTIME, &now);
  const long long pid = getpid();
  const long long tid = syscall(SYS_gettid);

  auto name = [&](PathBuilder& path, const char* extension) {
    path.put(configuration.directory);
    path.put("/crash-");
    path.putDecimal(now.tv_sec);
    path.put("-");
    path.putDecimal(pid);
    path.put("-");
    path.putDecimal(tid);
    path.put(extension);
  };
  PathBuilder temporary;
  name(temporary, ".tmp");
  PathBuilder complete;
  name(complete, kZqCrashEventExtension.data());

  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return;
  {
    SafeWriter out(fd);
    out.put(kZqCrashEventHeader.data());
    out.put('\n');
    out.field("signal", signal);
    out.field("code", info ? info->si_code : 0);
    out.put("address ");
    out.putHex(info ? reinterpret_cast<std::uintptr_t>(info->si_addr) : 0);
    out.put('\n');
    out.field("pid", pid);
    out.field("tid", tid);
    char threadName[17] = {};
    prctl(PR_GET_NAME, threadName);
    out.put("thread ");
    out.putPrintable(threadName, 16);
    out.put('\n');
    out.field("time", now.tv_sec);
    out.put("release ");
    out.putPrintable(configuration.release, kReleaseBytes);
    out.put('\n');

    // The unwinder walks through the signal frame; start at the faulting instruction so the
    // handler's own frames are left out.
    void* frames[kMaximumFrames];
    const int count = backtrace(frames, kMaximumFrames);
    const std::uintptr_t pc = faultingInstruction(context);
    int first = 0;
    bool found = false;
    for (int i = 0; i < count && pc; ++i) {
      if (reinterpret_cast<std::uintptr_t>(frames[i]) == pc) {
        first = i;
        found = true;
        break;
      }
    }
    if (pc && !found) {
      out.put("frame ");
      out.putHex(pc);
      out.put('\n');
    }
    for (int i = first; i < count; ++i) {
      out.put("frame ");
      out.putHex(reinterpret_cast<std::uintptr_t>(frames[i]));
      out.put('\n');
    }
    out.put("end\n");
    out.flush();
    if (out.failed()) {
      close(fd);
      unlink(temporary.c_str());
      return;
    }
  }
  close(fd);
  rename(temporary.c_str(), complete.c_str());
}

void recordCrash(int signal, const siginfo_t* info, void* context) {
  int expected = 0;
  if (!crashState.compare_exchange_strong(expected, 1)) {
    // Another thread is writing its event: give it time before this one ends the process.
    for (int i = 0; i < 200 && crashState.load() == 1; ++i) {
      struct timespec pause {
        0, 10 * 1000 * 1000
      };
      nanosleep(&pause, nullptr);
    }
    return;
  }
  writeEvent(signal, info, context);
  crashState.store(2);
}

// Hands the signal to the handler that was there before, or does what the default would.
void passOn(int signal, siginfo_t* info, void* context, const struct sigaction& previous,
            bool fromFault) {
  if (previous.sa_flags & SA_SIGINFO) {
    if (previous.sa_sigaction) previous.sa_sigaction(signal, info, context);
    return;
  }
  if (previous.sa_handler == SIG_IGN && !fromFault) return;
  if (previous.sa_handler == SIG_DFL || previous.sa_handler == SIG_IGN) {
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signal, &fallback, nullptr);
    // A fault happens again when the handler returns; a sent signal must be sent again. It
    // stays blocked until this handler returns.
    if (!fromFault) raise(signal);
    return;
  }
  previous.sa_handler(signal);
}

void handleFatalSignal(int signal, siginfo_t* info, void* context) {
  const int savedErrno = errno;
  const int index = signalIndex(signal);
  if (index < 0) return;
  if ((signal == SIGSEGV || signal == SIGBUS) && engineTrapHandler &&
      engineTrapHandler(signal, info, context)) {
    errno = savedErrno;
    return;
  }
  const struct sigaction& previous = previousActions[index];
  const bool fromFault = info && info->si_code > 0;
  const bool ignored = !(previous.sa_flags & SA_SIGINFO) && previous.sa_handler == SIG_IGN;
  // A signal sent to a process that ignores it is no crash.
  if (fromFault || !ignored) recordCrash(signal, info, context);
  passOn(signal, info, context, previous, fromFault);
  errno = savedErrno;
}

bool copyText(char* destination, std::size_t capacity, const std::string& text) {
  if (text.size() >= capacity || text.find('\0') != std::string::npos) return false;
  std::memcpy(destination, text.c_str(), text.size() + 1);
  return true;
}

}  // namespace

bool ZqCrashHandler::install(const std::string& pendingDirectory, const std::string& release,
                             std::string& error) {
  std::lock_guard lock(installMutex);
  const int next = activeConfiguration.load() == 0 ? 1 : 0;
  Configuration& configuration = configurations[next];
  if (pendingDirectory.empty() || pendingDirectory[0] != '/' ||
      !copyText(configuration.directory, sizeof configuration.directory, pendingDirectory)) {
    error = "the folder for crash reports is not a usable path";
    return false;
  }
  if (!copyText(configuration.release, sizeof configuration.release, release)) {
    copyText(configuration.release, sizeof configuration.release, "unknown");
  }
  activeConfiguration.store(next);
  if (installed.load()) return true;

  // backtrace() loads the unwinder on first use, which is not safe inside a handler.
  void* warmUp[1];
  backtrace(warmUp, 1);
  engineTrapHandler = reinterpret_cast<TrapHandler>(
      dlsym(RTLD_DEFAULT, "_ZN2v829TryHandleWebAssemblyTrapPosixEiP9siginfo_tPv"));

  // A stack overflow leaves no stack to run a handler on; keep a host's own alternate stack.
  stack_t current{};
  if (sigaltstack(nullptr, &current) == 0 && (current.ss_flags & SS_DISABLE)) {
    stack_t ours{};
    ours.ss_sp = alternateStack;
    ours.ss_size = sizeof alternateStack;
    sigaltstack(&ours, nullptr);
  }

  struct sigaction action {};
  action.sa_sigaction = handleFatalSignal;
  action.sa_flags = SA_SIGINFO | SA_ONSTACK;
  sigemptyset(&action.sa_mask);
  for (int signal : kFatalSignals) sigaddset(&action.sa_mask, signal);
  for (std::size_t i = 0; i < kSignalCount; ++i) {
    if (sigaction(kFatalSignals[i], &action, &previousActions[i]) != 0) {
      error = std::string("cannot install the handler for signal ") +
              std::to_string(kFatalSignals[i]) + ": " + std::strerror(errno);
      for (std::size_t j = 0; j < i; ++j) sigaction(kFatalSignals[j], &previousActions[j], nullptr);
      return false;
    }
  }
  installed.store(true);
  return true;
}

bool ZqCrashHandler::isInstalled() {
  return installed.load();
}
