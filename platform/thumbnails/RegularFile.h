#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "files/FileDescriptor.h"

namespace velquarin::platform {

// A file opened for reading only when it is a regular file: the open never blocks on a FIFO
// or a device, and the status comes from the descriptor, so the file checked is the file read.
struct RegularFile {
  explicit RegularFile(int descriptor) : fd(descriptor) {}
  FileDescriptor fd;
  struct stat status {};
  static std::unique_ptr<RegularFile> open(const std::string& path);
  // Up to `limit` bytes from the start; nullopt on a read error or a longer file.
  std::optional<std::vector<std::uint8_t>> read(std::size_t limit);
};

}  // namespace velquarin::platform
