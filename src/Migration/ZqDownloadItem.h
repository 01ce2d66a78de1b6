#pragma once

#include <cstdint>
#include <vector>

#include "Migration/ZqManagedObject.h"

// A download of an account. The derived values are computed on every read.
class ZqDownloadItem : public ZqManagedObject {
 public:
  using ZqManagedObject::ZqManagedObject;

  std::optional<std::string> path() const { return stringValue("path"); }
  std::optional<double> createdAt() const;  // seconds since 2001-01-01 UTC
  std::optional<std::int64_t> expectedBytes() const;
  std::optional<std::int64_t> receivedBytes() const;
  void setPath(std::optional<std::string> path) { setString("path", std::move(path)); }
  void setExpectedBytes(std::int64_t bytes);
  void setReceivedBytes(std::int64_t bytes);

  // The desktop's icon for the file, as icon-theme names (most specific first); nullopt
  // without a path.
  std::optional<std::vector<std::string>> icon() const;
  // The last path component; nullopt without a path.
  std::optional<std::string> name() const;
  // "%llu bytes", "%.2f KB", "%.2f MB" or "%.2f GB" of the file's size (0 when unreadable).
  std::optional<std::string> sizeHumanReadable() const;
  // Received over expected (as 32-bit unsigned values, in single precision) times 100; 0
  // while nothing is expected.
  double progressInPercents() const;
  bool isFinished() const;
  // The file URL of the path.
  std::optional<std::string> previewItemURL() const;
};

// The size text of a file of `bytes` bytes.
std::string ZqHumanReadableSize(std::uint64_t bytes);
