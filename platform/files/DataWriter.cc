#include "files/DataWriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>

namespace velquarin::platform {

namespace {

int writeAll(int fd, std::span<const std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    done += static_cast<std::size_t>(written);
  }
  return 0;
}

// The folder part of `path` ("." for a bare name) and whether a file name follows it.
std::string folderOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::atomic<int>& simulatedFailure() {
  static std::atomic<int> code{0};
  return code;
}

std::string temporaryName() {
  thread_local std::mt19937_64 generator{std::random_device{}()};
  char name[32];
  std::snprintf(name, sizeof name, ".vq-%016llx.tmp", static_cast<unsigned long long>(generator()));
  return name;
}

void syncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

std::optional<FileError> writeInPlace(const std::string& path,
                                      std::span<const std::uint8_t> bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return FileError{errno, path};
  int error = writeAll(fd, bytes);
  if (::close(fd) != 0 && !error) error = errno;
  if (error) return FileError{error, path};
  return std::nullopt;
}

std::optional<FileError> writeAtomically(const std::string& path,
                                         std::span<const std::uint8_t> bytes, bool durable) {
  if (path.empty() || path.back() == '/') return FileError{EISDIR, path};
  const std::string folder = folderOf(path);
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary = folder + "/" + temporaryName();
    // The kernel applies the umask to 0666, as for any new file.
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return FileError{errno, path};
  }
  if (fd < 0) return FileError{EEXIST, path};
  int error = writeAll(fd, bytes);
  if (!error && durable && ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && !error) error = errno;
  if (!error && std::rename(temporary.c_str(), path.c_str()) != 0) error = errno;
  if (error) {
    ::unlink(temporary.c_str());
    return FileError{error, path};
  }
  if (durable) syncFolder(folder);
  return std::nullopt;
}

}  // namespace

std::string FileError::description() const {
  return "Error Domain=POSIX Code=" + std::to_string(code) + " \"" + std::strerror(code) +
         "\" UserInfo={path=" + path + "}";
}

void simulateWriteFailure(int code) {
  simulatedFailure().store(code);
}

std::optional<FileError> writeData(const std::string& path, std::span<const std::uint8_t> bytes,
                                   bool atomic, bool durable) {
  if (const int code = simulatedFailure().load()) return FileError{code, path};
  // The system would stop the name at a NUL and write another file than the one asked for.
  if (path.find('\0') != std::string::npos) return FileError{EINVAL, path};
  return atomic ? writeAtomically(path, bytes, durable) : writeInPlace(path, bytes);
}

}  // namespace velquarin::platform
