#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace velquarin::platform {

// Why a file operation failed: the system's error number and the path it concerned.
struct FileError {
  int code = 0;
  std::string path;
  // The full description, such as: Error Domain=POSIX Code=2 "No such file or directory"
  // UserInfo={path=/missing/file.txt}
  std::string description() const;
};

// Writes `bytes` to `path`; a new file gets mode 0666 less the umask. Atomic: the bytes go to
// a new file in the same folder, reach the disk (unless `durable` is false), then replace the
// path in one step; on failure that file is removed and the path is untouched. Not atomic: the
// path is truncated and written in place, so a failure may leave it partly written. Scratch
// files that need not outlive a power cut pass `durable` false and skip the waits for the disk.
std::optional<FileError> writeData(const std::string& path, std::span<const std::uint8_t> bytes,
                                   bool atomic, bool durable = true);

// Makes every writeData fail with `code` (a full disk is ENOSPC), as a failing disk would;
// 0 restores normal writing. The binding uses it to let tests reach the failure paths.
void simulateWriteFailure(int code);

}  // namespace velquarin::platform
