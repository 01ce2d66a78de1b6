#pragma once

#include <string>
#include <vector>

namespace velquarin::platform {

// An alert shown to the user: an error's description and its details.
struct Alert {
  std::string message;
  std::string details;
};

// The alerts the application presented. The stand-in desktop has no screen: it keeps the
// most recent ones, which the binding (the user looking at the screen) can read.
class Alerts {
 public:
  // Any thread. Returns once the alert has been "seen" (it is recorded).
  static void presentError(std::string message, std::string details);
  static std::vector<Alert> presented();
  static void clear();

  static constexpr std::size_t kKept = 64;
};

}  // namespace velquarin::platform
