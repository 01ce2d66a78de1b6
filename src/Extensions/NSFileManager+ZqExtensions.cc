#include "Extensions/NSFileManager+ZqExtensions.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <regex>
#include <sstream>

#include "Utilities/ZqLog.h"
#include "tasks/Task.h"

namespace fs = std::filesystem;

namespace {

constexpr int kMaxDepth = 128;

struct CloseDirectory {
  void operator()(DIR* directory) const { ::closedir(directory); }
};

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }

 private:
  int fd_;
};

// A folder below `parent`, never through a symbolic link.
int openFolder(int parent, const char* name) {
  return ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// Moves the regular files below `from` into the same places below `to`. Nothing is followed:
// links and special files stay behind, and a link in the destination is never entered.
void moveRegularFiles(int from, int to, int depth) {
  if (depth > kMaxDepth) return;
  const int listing = ::dup(from);
  if (listing < 0) return;
  std::unique_ptr<DIR, CloseDirectory> directory(::fdopendir(listing));
  if (!directory) {
    ::close(listing);
    return;
  }
  while (const dirent* entry = ::readdir(directory.get())) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    struct stat status;
    if (::fstatat(from, name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (S_ISREG(status.st_mode)) {
      // Existing files win, as unzip does when nobody can answer its question.
      ::renameat2(from, name.c_str(), to, name.c_str(), RENAME_NOREPLACE);
    } else if (S_ISDIR(status.st_mode)) {
      if (::mkdirat(to, name.c_str(), 0777) != 0 && errno != EEXIST) continue;
      Descriptor source(openFolder(from, name.c_str()));
      Descriptor target(openFolder(to, name.c_str()));
      if (source.valid() && target.valid()) moveRegularFiles(source.get(), target.get(), depth + 1);
    }
  }
}

// What an archive's central directory says it holds: "N files, X bytes uncompressed, ..."
// from unzip's own listing. Nullopt when unzip cannot list it.
struct Listing {
  std::uint64_t entries = 0;
  std::uint64_t bytes = 0;
};

std::optional<Listing> listArchive(const std::string& archive) {
  velquarin::platform::TaskOptions options;
  options.captureOutput = 64 * 1024;
  const auto result =
      velquarin::platform::runTask("/usr/bin/unzip", {"-Z", "-t", archive}, options);
  // 1 is a warning (such as bytes before the archive); the totals are still right.
  if (!result.launched || (result.exitStatus != 0 && result.exitStatus != 1)) return std::nullopt;
  std::istringstream lines(result.output);
  std::optional<Listing> listing;
  for (std::string line; std::getline(lines, line);) {
    static const std::regex kTotals(R"(^(\d{1,19}) files?, (\d{1,19}) bytes uncompressed, )");
    std::smatch match;
    if (!std::regex_search(line, match, kTotals)) continue;
    // Over 19 digits never matches; up to 19 always fits in 64 bits.
    listing = Listing{std::stoull(match[1].str()), std::stoull(match[2].str())};
  }
  return listing;
}

// What is below `folder` so far, without following anything: the entries that are not
// folders and the bytes of the files. Folders unzip makes on the way count apart, since
// one entry's path may create many.
struct Unpacked {
  Listing listing;
  std::uint64_t folders = 0;
};

Unpacked measure(const fs::path& folder) {
  Unpacked seen;
  std::error_code error;
  for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end;
       it.increment(error)) {
    struct stat status;
    if (::lstat(it->path().c_str(), &status) != 0) continue;
    if (S_ISDIR(status.st_mode)) {
      ++seen.folders;
      continue;
    }
    ++seen.listing.entries;
    if (S_ISREG(status.st_mode)) seen.listing.bytes += static_cast<std::uint64_t>(status.st_size);
  }
  return seen;
}

bool within(const Listing& listing, const ZqUnzipLimits& limits) {
  return listing.entries <= limits.maxEntries && listing.bytes <= limits.maxBytes;
}

bool within(const Unpacked& unpacked, const ZqUnzipLimits& limits) {
  return within(unpacked.listing, limits) && unpacked.folders <= limits.maxEntries;
}

}  // namespace

void zq_unzipItemAtPath(const std::string& archivePath, const std::string& destination,
                        const std::vector<std::string>* filter, const ZqUnzipLimits& limits) {
  std::error_code error;
  // Absolute, so the archive's name can never read as an option of unzip.
  const fs::path archive = fs::absolute(archivePath, error).lexically_normal();
  const fs::path folder = fs::absolute(destination, error).lexically_normal();
  if (error || archivePath.empty() || destination.empty()) return;
  const auto listing = listArchive(archive.string());
  if (!listing) {
    ZQ_LOG_WARN("Could not list the archive '%@'; it was not unpacked.", archive.string());
    return;
  }
  if (!within(*listing, limits)) {
    ZQ_LOG_WARN(
        "Archive '%@' holds %lu entries of %lu bytes, more than allowed; it was not unpacked.",
        archive.string(), static_cast<unsigned long>(listing->entries),
        static_cast<unsigned long>(listing->bytes));
    return;
  }
  fs::create_directories(folder, error);
  Descriptor target(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!target.valid()) {
    ZQ_LOG_WARN("Could not unzip '%@' into '%@'.", archive.string(), folder.string());
    return;
  }

  // unzip writes into an empty folder of its own first; only what survives the sorting
  // below reaches the destination.
  std::string staging = (folder / ".unzip-XXXXXX").string();
  if (!::mkdtemp(staging.data())) {
    ZQ_LOG_WARN("Could not unzip '%@' into '%@'.", archive.string(), folder.string());
    return;
  }
  std::vector<std::string> arguments{"-C", "-d", staging, archive.string()};
  if (filter) {
    for (const auto& pattern : *filter) {
      // unzip reads "-x" and "-d" among the names that follow the archive.
      if (pattern.empty() || pattern.front() == '-') continue;
      arguments.push_back(pattern);
    }
  }
  // The listing can lie: what unzip writes is measured as it goes, and no single file may
  // pass the limit (one byte over it, so that a cut-off file still counts as too much).
  velquarin::platform::TaskOptions options;
  options.maxFileSize = limits.maxBytes < UINT64_MAX - 1 ? limits.maxBytes + 1 : 0;
  options.keepGoing = [&] { return within(measure(staging), limits); };
  const auto result = velquarin::platform::runTask("/usr/bin/unzip", arguments, options);
  if (!result.launched) {
    ZQ_LOG_WARN("Could not run /usr/bin/unzip for '%@'.", archive.string());
  } else {
    ZQ_LOG_DEBUG("unzip of '%@' ended with status %d.", archive.string(), result.exitStatus);
  }
  if (result.stopped || !within(measure(staging), limits)) {
    ZQ_LOG_WARN("Archive '%@' unpacks to more than allowed; it was not unpacked.",
                archive.string());
    fs::remove_all(staging, error);
    return;
  }

  Descriptor unpacked(::open(staging.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (unpacked.valid()) moveRegularFiles(unpacked.get(), target.get(), 0);
  fs::remove_all(staging, error);  // removes links as links
}
