#pragma once

#include <string>
#include <vector>

// Unpacks the zip archive at `archivePath` into the folder `destination` (created when
// missing) with the system's unzip program; `filter` patterns (when given) select entries,
// matched case-insensitively. Only regular files and folders are kept: symbolic links in the
// archive are dropped, never followed, and entries reaching outside the folder are confined
// to it. Files already in the destination are kept. Blocks until unzip has finished.
void zq_unzipItemAtPath(const std::string& archivePath, const std::string& destination,
                        const std::vector<std::string>* filter = nullptr);
