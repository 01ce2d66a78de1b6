#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A crash recorded by the fatal-signal handler and read back at the next start.
struct ZqCrashEvent {
  int signal = 0;
  int code = 0;
  std::uint64_t address = 0;
  long long pid = 0;
  long long threadId = 0;
  std::string threadName;
  long long time = 0;                 // seconds since the epoch
  std::string crashedRelease;         // the release that crashed
  std::vector<std::uint64_t> frames;  // innermost first

  std::string eventId;
  std::optional<std::string> releaseName;  // set before the event is serialised

  // Reads the handler's text; nullopt when it is not a complete event.
  static std::optional<ZqCrashEvent> parse(std::string_view text);
  // The reporter's dictionary for the event (frames oldest first).
  nlohmann::json serialize() const;
};

// Names the handler writes: a ".tmp" file while writing, renamed to ".event" when complete.
inline constexpr std::string_view kZqCrashEventHeader = "velquarin-crash-event 1";
inline constexpr std::string_view kZqCrashEventExtension = ".event";

// The complete pending events in `directory`, oldest first, at most `limit` of them.
std::vector<std::string> ZqPendingCrashEventFiles(const std::string& directory,
                                                  std::size_t limit = 32);
