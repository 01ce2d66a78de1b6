#pragma once

#include <string>
#include <vector>

namespace velquarin::platform {

enum class AlertStyle { Warning, Informational, Critical };

// An alert shown to the user: its message, informative text, style and buttons (the first is
// the default one).
struct Alert {
  std::string message;
  std::string details;
  AlertStyle style = AlertStyle::Warning;
  std::vector<std::string> buttons = {"OK"};
};

const char* alertStyleName(AlertStyle style);

// The alerts the application presented. The stand-in desktop has no screen: it keeps the
// most recent ones, which the binding (the user looking at the screen) can read.
class Alerts {
 public:
  // Any thread. Returns once the alert has been "seen" (it is recorded).
  static void presentError(std::string message, std::string details);
  // A modal alert; answers the index of the button the user chose (the default one at once).
  static std::size_t runModal(Alert alert);
  static std::vector<Alert> presented();
  static void clear();

  static constexpr std::size_t kKept = 64;
};

}  // namespace velquarin::platform
