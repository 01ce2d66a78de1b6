#include "Integrations/ZqPDFServices.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "Utilities/ZqLog.h"
#include "bundle/Bundle.h"
#include "plist/PropertyList.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kPreviousVersionApplication = "Velquarin 3.app";
constexpr off_t kMaxInfoPlistBytes = 1 << 20;

// Another application's Info.plist: a regular file of sane size, opened without waiting (a
// FIFO in its place must not hold up start-up).
std::optional<std::string> readInfoPlist(const std::string& bundle) {
  const std::string path = bundle + "/Info.plist";
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return std::nullopt;
  std::string bytes;
  struct stat status {};
  if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) &&
      status.st_size <= kMaxInfoPlistBytes) {
    bytes.resize(static_cast<std::size_t>(status.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      done += static_cast<std::size_t>(got);
    }
    bytes.resize(done);
  }
  ::close(fd);
  return bytes.empty() ? std::nullopt : std::optional(std::move(bytes));
}

// A bundle is a folder; its identifier comes from its Info.plist and may be missing.
struct FoundBundle {
  std::optional<std::string> identifier;
};

std::optional<FoundBundle> bundleAt(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) return std::nullopt;
  FoundBundle bundle;
  if (const auto bytes = readInfoPlist(path)) {
    if (auto root = velquarin::platform::parsePropertyList(*bytes)) {
      const auto info = velquarin::platform::propertyListToJson(root.get());
      const auto id = info.is_object() ? info.find("CFBundleIdentifier") : info.end();
      if (info.is_object() && id != info.end() && id->is_string()) {
        bundle.identifier = id->get<std::string>();
      }
    }
  }
  return bundle;
}

// The target a link (the bookmark) points at, relative ones read against the folder.
std::optional<std::string> bookmarkTarget(const std::string& folder, const std::string& entry) {
  std::error_code error;
  if (!fs::is_symlink(fs::symlink_status(entry, error))) return std::nullopt;
  const auto target = fs::read_symlink(entry, error);
  if (error) return std::nullopt;
  return (target.is_absolute() ? target : fs::path(folder) / target).string();
}

bool exists(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0;
}

// Removes the entry itself: a link, never what it points at; a folder without following
// the links inside it.
bool removeEntry(const std::string& path, std::error_code& error) {
  fs::remove_all(path, error);
  return !error;
}

bool sameIdentifier(const std::optional<std::string>& a, const std::optional<std::string>& b) {
  return a && b && *a == *b;
}

}  // namespace

ZqPDFServices& ZqPDFServices::sharedInstance() {
  static ZqPDFServices* shared = new ZqPDFServices();
  return *shared;
}

ZqPDFServices::ZqPDFServices() {
  const char* home = std::getenv("HOME");
  if (home && *home) pdfServicesPath_ = std::string(home) + "/Library/PDF Services";
}

void ZqPDFServices::removeBookmarksToOurselves(const std::string& keep) const {
  if (!pdfServicesPath_) return;
  const auto& folder = *pdfServicesPath_;
  const auto ours = velquarin::platform::Bundle::main()->identifier();
  std::error_code error;
  std::vector<std::string> entries;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    entries.push_back(it->path().string());
  }
  for (const auto& entry : entries) {
    if (entry == keep) continue;
    const auto target = bookmarkTarget(folder, entry);
    if (target && !exists(*target)) continue;  // does not resolve: left alone
    const auto bundle = bundleAt(target.value_or(entry));
    const bool remove = bundle
                            ? sameIdentifier(bundle->identifier, ours)
                            : target && fs::path(*target).filename() == kPreviousVersionApplication;
    if (remove && removeEntry(entry, error)) ZQ_LOG_INFO("Deleted %@", entry);
  }
}

void ZqPDFServices::install() const {
  if (!pdfServicesPath_) {
    ZQ_LOG_WARN("No home folder: the PDF service is not installed");
    return;
  }
  const auto& folder = *pdfServicesPath_;
  const std::string entry = folder + "/" + kEntryName;
  const std::string bundle = velquarin::platform::Bundle::main()->path();
  // Every start installs the entry: when it already points at this bundle it stays as it
  // is rather than being deleted and made again.
  const auto target = bookmarkTarget(folder, entry);
  const bool current = target && *target == bundle && exists(bundle);
  removeBookmarksToOurselves(current ? entry : std::string());
  if (current) return;
  std::error_code error;
  if (!fs::is_directory(folder, error) && fs::create_directories(folder, error)) {
    ZQ_LOG_INFO("Created %@", folder);
  }
  struct stat status {};
  if (::stat(bundle.c_str(), &status) != 0) {
    ZQ_LOG_ERROR("While creating bookmarkData for '%@'. %@", entry, std::strerror(errno));
    return;
  }
  if (::lstat(entry.c_str(), &status) == 0 && !removeEntry(entry, error)) {
    ZQ_LOG_ERROR("While removing '%@'. %@", entry, error.message());
    return;
  }
  fs::create_symlink(bundle, entry, error);
  if (error) {
    ZQ_LOG_ERROR("While creating '%@'. %@", entry, error.message());
  } else {
    ZQ_LOG_INFO("Created '%@'.", entry);
  }
}

void ZqPDFServices::uninstall() const {
  if (!pdfServicesPath_) {
    ZQ_LOG_WARN("No home folder: there is no PDF service to remove");
    return;
  }
  removeBookmarksToOurselves({});
  // rmdir removes the folder only when it lists no entries.
  if (::rmdir(pdfServicesPath_->c_str()) == 0) ZQ_LOG_INFO("Deleted %@", *pdfServicesPath_);
}
