#include "Logging/ZqCrashEvent.h"

#include <algorithm>
#include <charconv>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "logging/Log.h"

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaximumFrames = 256;

template <typename T>
bool parseNumber(std::string_view text, T& value, int base = 10) {
  if (base == 16) {
    if (text.size() < 3 || text[0] != '0' || (text[1] != 'x' && text[1] != 'X')) return false;
    text.remove_prefix(2);
  }
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  return error == std::errc() && end == text.data() + text.size();
}

std::string signalName(int signal) {
  switch (signal) {
    case 4:
      return "SIGILL";
    case 6:
      return "SIGABRT";
    case 7:
      return "SIGBUS";
    case 8:
      return "SIGFPE";
    case 11:
      return "SIGSEGV";
  }
  return "SIG" + std::to_string(signal);
}

std::string hexAddress(std::uint64_t value) {
  char buffer[24];
  std::snprintf(buffer, sizeof buffer, "0x%016llx", static_cast<unsigned long long>(value));
  return buffer;
}

std::string isoTime(long long seconds) {
  const std::time_t time = static_cast<std::time_t>(seconds);
  std::tm utc{};
  if (!gmtime_r(&time, &utc)) return "1970-01-01T00:00:00Z";
  char buffer[32];
  std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return buffer;
}

}  // namespace

std::optional<ZqCrashEvent> ZqCrashEvent::parse(std::string_view text) {
  ZqCrashEvent event;
  bool header = false;
  bool haveSignal = false;
  bool complete = false;
  while (!text.empty()) {
    const auto newline = text.find('\n');
    const std::string_view line = text.substr(0, newline);
    text = newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);
    if (!header) {
      if (line != kZqCrashEventHeader) return std::nullopt;
      header = true;
      continue;
    }
    const auto space = line.find(' ');
    const std::string_view key = line.substr(0, space);
    const std::string_view value =
        space == std::string_view::npos ? std::string_view() : line.substr(space + 1);
    // Unknown or unreadable fields are left out; the signal and the end mark are required.
    if (key == "signal") {
      haveSignal = parseNumber(value, event.signal) && event.signal > 0 && event.signal < 65;
    } else if (key == "code") {
      parseNumber(value, event.code);
    } else if (key == "address") {
      parseNumber(value, event.address, 16);
    } else if (key == "pid") {
      parseNumber(value, event.pid);
    } else if (key == "tid") {
      parseNumber(value, event.threadId);
    } else if (key == "thread") {
      event.threadName = velquarin::platform::Log::sanitize(value.substr(0, 64));
    } else if (key == "time") {
      parseNumber(value, event.time);
    } else if (key == "release") {
      event.crashedRelease = velquarin::platform::Log::sanitize(value.substr(0, 256));
    } else if (key == "frame") {
      std::uint64_t frame = 0;
      if (event.frames.size() < kMaximumFrames && parseNumber(value, frame, 16)) {
        event.frames.push_back(frame);
      }
    } else if (key == "end") {
      complete = true;
      break;
    }
  }
  if (!header || !haveSignal || !complete) return std::nullopt;
  return event;
}

nlohmann::json ZqCrashEvent::serialize() const {
  const std::string name = signalName(signal);
  nlohmann::json frameList = nlohmann::json::array();
  for (auto it = frames.rbegin(); it != frames.rend(); ++it) {
    frameList.push_back({{"instruction_addr", hexAddress(*it)}});
  }
  nlohmann::json exception = {
      {"type", name},
      {"value", "Fatal signal " + name + " (" + std::to_string(signal) + "), code " +
                    std::to_string(code) + ", fault address " + hexAddress(address)},
      {"thread_id", threadId},
      {"mechanism",
       {{"type", "signalhandler"},
        {"handled", false},
        {"meta", {{"signal", {{"number", signal}, {"code", code}, {"name", name}}}}}}},
      {"stacktrace", {{"frames", frameList}}},
  };
  nlohmann::json dictionary = {
      {"event_id", eventId},
      {"timestamp", isoTime(time)},
      {"level", "fatal"},
      {"platform", "native"},
      {"exception", {{"values", nlohmann::json::array({exception})}}},
      {"threads",
       {{"values",
         nlohmann::json::array(
             {{{"id", threadId}, {"name", threadName}, {"crashed", true}, {"current", true}}})}}},
      {"extra", {{"pid", pid}, {"crashed_release", crashedRelease}}},
  };
  if (releaseName) dictionary["release"] = *releaseName;
  return dictionary;
}

std::vector<std::string> ZqPendingCrashEventFiles(const std::string& directory, std::size_t limit) {
  std::vector<std::pair<fs::file_time_type, std::string>> found;
  std::error_code error;
  for (fs::directory_iterator it(directory, error), end; !error && it != end; it.increment(error)) {
    if (it->path().extension() != kZqCrashEventExtension) continue;
    std::error_code statError;
    if (!it->is_regular_file(statError)) continue;
    found.emplace_back(it->last_write_time(statError), it->path().string());
  }
  std::sort(found.begin(), found.end());
  std::vector<std::string> paths;
  for (auto& [time, path] : found) {
    if (paths.size() == limit) break;
    paths.push_back(std::move(path));
  }
  return paths;
}
