#pragma once

#include <optional>
#include <string>

#include "application/Services.h"
#include "pasteboard/Pasteboard.h"

// Posted by the search service with the search string as its object; no user info.
inline constexpr const char* kZqServiceProviderSearchNotification =
    "ZqServiceProviderSearchNotification";

// The application's four services. The mail services compose through an outgoing message
// (the host's compose callback gets them); the search service posts its notification. Each
// answers the error text shown to the user when the pasteboard lacks its input. Main thread.
class ZqServicesProvider : public velquarin::platform::ServicesProvider {
 public:
  using Pasteboard = velquarin::platform::Pasteboard;
  using Result = std::optional<std::string>;

  Result searchSelection(Pasteboard& pasteboard, const std::string& userData);
  Result mailSelection(Pasteboard& pasteboard, const std::string& userData);
  Result mailDocument(Pasteboard& pasteboard, const std::string& userData);
  Result mailTo(Pasteboard& pasteboard, const std::string& userData);

  Handler handlerFor(const std::string& message) override;
};

// Start-up: sets one provider as the application's services provider.
void ZqRegisterServicesProvider();

// Hands `text` to another application's service listed under `serviceName`; nothing (and a
// warning) when either is empty. Whether the service ran is not reported.
void ZqPerformService(const std::string& serviceName, const std::string& text);
