#pragma once

#include <cstdint>
#include <string>
#include <vector>

// How much one archive may unpack to.
struct ZqUnzipLimits {
  std::uint64_t maxBytes = std::uint64_t(1) << 30;  // 1 GiB of file contents in all
  std::uint64_t maxEntries = 10000;                 // files, folders and links
};

// Unpacks the zip archive at `archivePath` into the folder `destination` (created when
// missing) with the system's unzip program; `filter` patterns (when given) select entries,
// matched case-insensitively. Only regular files and folders are kept: symbolic links in the
// archive are dropped, never followed, and entries reaching outside the folder are confined
// to it. Files already in the destination are kept. An archive that would unpack to more than
// `limits` (by its listing, or by what unzip actually writes, since a listing can lie) is
// refused with a warning and leaves nothing behind. Blocks until unzip has finished.
void zq_unzipItemAtPath(const std::string& archivePath, const std::string& destination,
                        const std::vector<std::string>* filter = nullptr,
                        const ZqUnzipLimits& limits = {});
