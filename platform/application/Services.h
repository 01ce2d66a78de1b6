#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "pasteboard/Pasteboard.h"

namespace velquarin::platform {

// What this application offers to the desktop's Services: handlers by the message names its
// bundle declares ("mailSelection"), each run on a pasteboard holding the user's selection.
class ServicesProvider {
 public:
  // The error text shown to the user, or nullopt when the service ran.
  using Handler =
      std::function<std::optional<std::string>(Pasteboard&, const std::string& userData)>;
  virtual ~ServicesProvider() = default;
  // Empty when the provider has no handler of that name.
  virtual Handler handlerFor(const std::string& message) = 0;
};

// The Services of the desktop as they concern this application: its own provider, and other
// applications' services by the title the Services menu lists them under. Main thread only.
class Services {
 public:
  static Services& shared();

  std::shared_ptr<ServicesProvider> provider() const { return provider_; }
  void setProvider(std::shared_ptr<ServicesProvider> provider) { provider_ = std::move(provider); }

  struct Outcome {
    bool handled = false;              // a provider had that handler
    std::optional<std::string> error;  // its error text
  };
  // What the desktop does when the user picks one of this application's services.
  Outcome invoke(const std::string& message, Pasteboard& pasteboard,
                 const std::string& userData = {});

  using Service = std::function<void(Pasteboard&)>;
  // Another application's service (the binding registers them; Linux has no list of them).
  void registerService(std::string title, Service service);
  // Runs the service of that title on the pasteboard; false when there is none.
  bool perform(const std::string& title, Pasteboard& pasteboard);

 private:
  Services() = default;
  std::shared_ptr<ServicesProvider> provider_;
  std::map<std::string, Service> services_;
};

}  // namespace velquarin::platform
