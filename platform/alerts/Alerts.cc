#include "alerts/Alerts.h"

#include <deque>
#include <mutex>

namespace velquarin::platform {
namespace {

struct AlertState {
  std::mutex mutex;
  std::deque<Alert> alerts;
};

AlertState& state() {
  static AlertState* alerts = new AlertState();
  return *alerts;
}

}  // namespace

const char* alertStyleName(AlertStyle style) {
  switch (style) {
    case AlertStyle::Informational:
      return "informational";
    case AlertStyle::Critical:
      return "critical";
    case AlertStyle::Warning:
      break;
  }
  return "warning";
}

void Alerts::presentError(std::string message, std::string details) {
  runModal(Alert{std::move(message), std::move(details)});
}

std::size_t Alerts::runModal(Alert alert) {
  if (alert.buttons.empty()) alert.buttons = {"OK"};
  std::lock_guard lock(state().mutex);
  state().alerts.push_back(std::move(alert));
  if (state().alerts.size() > kKept) state().alerts.pop_front();
  return 0;
}

std::vector<Alert> Alerts::presented() {
  std::lock_guard lock(state().mutex);
  return {state().alerts.begin(), state().alerts.end()};
}

void Alerts::clear() {
  std::lock_guard lock(state().mutex);
  state().alerts.clear();
}

}  // namespace velquarin::platform
