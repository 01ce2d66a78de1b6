#include "logging/RollingFileSink.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "runloop/Clock.h"

namespace fs = std::filesystem;

namespace velquarin::platform {
namespace {

// "2024-05-01--12-00-00-123": sortable, and free of characters that need quoting.
constexpr std::string_view kStampShape = "dddd-dd-dd--dd-dd-dd-ddd";

bool writeAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace

RollingFileSink::RollingFileSink(Options options) : options_(std::move(options)) {
  if (!(options_.rollingFrequency > 0)) options_.rollingFrequency = 86400;
  if (options_.maximumFileSize == 0) options_.maximumFileSize = 8 * 1024 * 1024;
}

RollingFileSink::~RollingFileSink() {
  closeFile();
}

std::optional<std::string> RollingFileSink::currentPath() {
  std::lock_guard lock(mutex_);
  if (fd_ < 0) return std::nullopt;
  return path_;
}

std::string RollingFileSink::fileNameFor(double startTime) const {
  const double seconds = std::floor(startTime);
  const auto millis = static_cast<int>(std::clamp((startTime - seconds) * 1000.0, 0.0, 999.0));
  const std::time_t time = static_cast<std::time_t>(seconds);
  std::tm utc{};
  gmtime_r(&time, &utc);
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d--%02d-%02d-%02d-%03d", utc.tm_year + 1900,
                utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec, millis);
  return options_.prefix + "-" + stamp + ".log";
}

std::optional<double> RollingFileSink::startTimeOf(const std::string& fileName) const {
  const std::string head = options_.prefix + "-";
  if (fileName.size() != head.size() + kStampShape.size() + 4) return std::nullopt;
  if (fileName.compare(0, head.size(), head) != 0) return std::nullopt;
  if (fileName.compare(fileName.size() - 4, 4, ".log") != 0) return std::nullopt;
  const std::string_view stamp(fileName.data() + head.size(), kStampShape.size());
  for (std::size_t i = 0; i < stamp.size(); ++i) {
    const bool digit = stamp[i] >= '0' && stamp[i] <= '9';
    if ((kStampShape[i] == 'd') != digit) return std::nullopt;
    if (!digit && stamp[i] != '-') return std::nullopt;
  }
  std::tm utc{};
  int millis = 0;
  if (std::sscanf(stamp.data(), "%4d-%2d-%2d--%2d-%2d-%2d-%3d", &utc.tm_year, &utc.tm_mon,
                  &utc.tm_mday, &utc.tm_hour, &utc.tm_min, &utc.tm_sec, &millis) != 7) {
    return std::nullopt;
  }
  utc.tm_year -= 1900;
  utc.tm_mon -= 1;
  return static_cast<double>(timegm(&utc)) + millis / 1000.0;
}

std::vector<RollingFileSink::Candidate> RollingFileSink::candidates() const {
  std::vector<Candidate> found;
  std::error_code error;
  for (fs::directory_iterator it(options_.directory, error), end; !error && it != end;
       it.increment(error)) {
    const auto start = startTimeOf(it->path().filename().string());
    if (start && it->is_regular_file(error)) found.push_back({*start, it->path().string()});
  }
  std::sort(found.begin(), found.end(), [](const Candidate& a, const Candidate& b) {
    return a.start != b.start ? a.start < b.start : a.path < b.path;
  });
  return found;
}

std::vector<std::string> RollingFileSink::logFiles() const {
  std::vector<std::string> paths;
  for (auto& candidate : candidates()) paths.push_back(std::move(candidate.path));
  return paths;
}

void RollingFileSink::closeFile() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

void RollingFileSink::reportFailure(const std::string& what, int error) {
  closeFile();
  if (failing_) return;
  failing_ = true;
  // The console logger runs beside this sink; a direct write keeps this off the log queue.
  const std::string line = "Velquarin: cannot " + what + ": " +
                           std::error_code(error, std::generic_category()).message() +
                           "; logging to the console only until it works again\n";
  writeAll(STDERR_FILENO, line.data(), line.size());
}

bool RollingFileSink::openPath(const std::string& path, double start) {
  std::error_code error;
  if (fs::create_directories(options_.directory, error)) {
    fs::permissions(options_.directory, fs::perms::owner_all, error);
  }
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    reportFailure("open the log file " + path, errno);
    return false;
  }
  struct stat status {};
  ::fstat(fd, &status);
  closeFile();
  fd_ = fd;
  path_ = path;
  start_ = start;
  size_ = static_cast<std::size_t>(status.st_size);
  failing_ = false;
  return true;
}

bool RollingFileSink::openFresh(double now) {
  // A roll within the same millisecond must not land in the file it leaves.
  if (!path_.empty() && now < start_ + 0.001) now = start_ + 0.001;
  if (!openPath(options_.directory + "/" + fileNameFor(now), now)) return false;
  prune();
  return true;
}

void RollingFileSink::prune() {
  auto found = candidates();
  std::erase_if(found, [this](const Candidate& candidate) { return candidate.path == path_; });
  if (found.size() <= options_.maximumNumberOfLogFiles) return;
  const std::size_t excess = found.size() - options_.maximumNumberOfLogFiles;
  std::error_code error;
  for (std::size_t i = 0; i < excess; ++i) fs::remove(found[i].path, error);
}

bool RollingFileSink::ensureOpen(double now) {
  const double period = options_.rollingFrequency;
  if (fd_ >= 0) {
    if (now - start_ >= period || size_ >= options_.maximumFileSize) return openFresh(now);
    struct stat status {};
    if (::fstat(fd_, &status) == 0 && status.st_nlink > 0) return true;
    closeFile();  // deleted under us: created again below
  }
  if (!path_.empty() && now - start_ < period && size_ < options_.maximumFileSize) {
    return openPath(path_, start_);
  }
  if (path_.empty()) {
    // First line of this process: carry on with the newest file while it is young enough.
    const auto found = candidates();
    if (!found.empty()) {
      const auto& newest = found.back();
      std::error_code error;
      const auto size = fs::file_size(newest.path, error);
      const double age = now - newest.start;
      if (!error && age >= 0 && age < period && size < options_.maximumFileSize) {
        if (!openPath(newest.path, newest.start)) return false;
        prune();
        return true;
      }
    }
  }
  return openFresh(now);
}

void RollingFileSink::sink_it_(const spdlog::details::log_msg& message) {
  spdlog::memory_buf_t formatted;
  formatter_->format(message, formatted);
  if (!ensureOpen(Clock::now())) return;
  if (!writeAll(fd_, formatted.data(), formatted.size())) {
    reportFailure("write the log file " + path_, errno);
    return;
  }
  size_ += formatted.size();
}

}  // namespace velquarin::platform
