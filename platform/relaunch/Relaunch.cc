#include "relaunch/Relaunch.h"

#include <dlfcn.h>
#include <spawn.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

extern char** environ;

namespace velquarin::platform {
namespace {

// posix_spawn attributes, destroyed on every path.
class SpawnAttributes {
 public:
  SpawnAttributes() { ok_ = posix_spawnattr_init(&attributes_) == 0; }
  ~SpawnAttributes() {
    if (ok_) posix_spawnattr_destroy(&attributes_);
  }
  SpawnAttributes(const SpawnAttributes&) = delete;
  SpawnAttributes& operator=(const SpawnAttributes&) = delete;
  bool ok() const { return ok_; }
  posix_spawnattr_t* get() { return &attributes_; }

 private:
  posix_spawnattr_t attributes_{};
  bool ok_ = false;
};

}  // namespace

std::string relaunchHelperPath() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<const void*>(&relaunchHelperPath), &info) && info.dli_fname) {
    return (std::filesystem::path(info.dli_fname).parent_path() / "velquarin-relaunch").string();
  }
  return "velquarin-relaunch";
}

std::optional<LaunchCommand> currentProcessCommand() {
  std::error_code error;
  const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) return std::nullopt;
  std::ifstream file("/proc/self/cmdline", std::ios::binary);
  if (!file) return std::nullopt;
  const std::string raw((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  LaunchCommand command{executable.string(), {}};
  // NUL-terminated arguments, one after the other.
  std::size_t start = 0;
  while (start < raw.size()) {
    auto end = raw.find('\0', start);
    if (end == std::string::npos) end = raw.size();
    command.arguments.emplace_back(raw, start, end - start);
    start = end + 1;
  }
  if (command.arguments.empty()) command.arguments.push_back(command.executable);
  return command;
}

bool relaunchAfterExit(const LaunchCommand& command, std::string& error) {
  if (command.executable.empty() || command.arguments.empty()) {
    error = "nothing to launch";
    return false;
  }
  const std::string helper = relaunchHelperPath();
  const std::string pid = std::to_string(getpid());
  std::vector<std::string> arguments{helper, pid, command.executable};
  arguments.insert(arguments.end(), command.arguments.begin(), command.arguments.end());
  std::vector<char*> argv;
  argv.reserve(arguments.size() + 1);
  for (auto& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);

  SpawnAttributes attributes;
  if (!attributes.ok()) {
    error = "cannot prepare the launch";
    return false;
  }
  // Its own session, so the end of ours (a closing terminal) does not take it along; and
  // the signal state of a fresh program rather than the host's.
  sigset_t none;
  sigemptyset(&none);
  sigset_t all;
  sigfillset(&all);
  posix_spawnattr_setsigmask(attributes.get(), &none);
  posix_spawnattr_setsigdefault(attributes.get(), &all);
  posix_spawnattr_setflags(attributes.get(),
                           POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  pid_t child = 0;
  const int status =
      posix_spawn(&child, helper.c_str(), nullptr, attributes.get(), argv.data(), environ);
  if (status != 0) {
    error = helper + ": " + std::strerror(status);
    return false;
  }
  return true;
}

}  // namespace velquarin::platform
