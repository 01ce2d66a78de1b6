#include "thumbnails/RegularFile.h"

#include <fcntl.h>

#include <cerrno>

namespace velquarin::platform {

std::unique_ptr<RegularFile> RegularFile::open(const std::string& path) {
  auto file = std::make_unique<RegularFile>(
      ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (!file->fd || ::fstat(file->fd.get(), &file->status) != 0 || !S_ISREG(file->status.st_mode)) {
    return nullptr;
  }
  // Readers that inherit the descriptor (a helper's standard input) expect blocking reads.
  const int flags = ::fcntl(file->fd.get(), F_GETFL);
  if (flags < 0 || ::fcntl(file->fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) return nullptr;
  return file;
}

std::optional<std::vector<std::uint8_t>> RegularFile::read(std::size_t limit) {
  if (status.st_size < 0 || static_cast<std::uint64_t>(status.st_size) > limit) return std::nullopt;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(status.st_size));
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t got =
        ::pread(fd.get(), bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return std::nullopt;
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  bytes.resize(done);
  return bytes;
}

}  // namespace velquarin::platform
