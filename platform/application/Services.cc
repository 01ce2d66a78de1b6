#include "application/Services.h"

namespace velquarin::platform {

Services& Services::shared() {
  static Services* services = new Services();
  return *services;
}

Services::Outcome Services::invoke(const std::string& message, Pasteboard& pasteboard,
                                   const std::string& userData) {
  auto provider = provider_;  // a handler may replace it
  auto handler = provider ? provider->handlerFor(message) : ServicesProvider::Handler();
  if (!handler) return {};
  return Outcome{true, handler(pasteboard, userData)};
}

void Services::registerService(std::string title, Service service) {
  if (service) {
    services_[std::move(title)] = std::move(service);
  } else {
    services_.erase(title);
  }
}

bool Services::perform(const std::string& title, Pasteboard& pasteboard) {
  const auto found = services_.find(title);
  if (found == services_.end()) return false;
  auto service = found->second;  // it may register or remove services while it runs
  service(pasteboard);
  return true;
}

}  // namespace velquarin::platform
