#include "keychain/Keychain.h"

#include <atomic>
#include <cmath>

namespace velquarin::platform::keychain {
namespace {

std::atomic<double> timeoutSeconds{5.0};

}  // namespace

std::string errorMessage(Status status) {
  switch (status) {
    case kSuccess:
      return "No error.";
    case kTimedOut:
      return "The credential store did not answer in time.";
    case kInternalError:
      return "The credential store reported an unexpected error.";
    case kNotAvailable:
      return "No keychain is available. The Secret Service is not running on the session bus.";
    case kDuplicateItem:
      return "The specified item already exists in the keychain.";
    case kItemNotFound:
      return "The specified item could not be found in the keychain.";
    case kDataTooLarge:
      return "This item contains information which is too large.";
    case kNoSuchAttribute:
      return "The specified attribute does not exist.";
    case kInvalidItemRef:
      return "The specified item is no longer valid. It may have been deleted from the keychain.";
    case kNoDefaultKeychain:
      return "A default keychain could not be found.";
    case kInteractionNotAllowed:
      return "User interaction is not allowed.";
    case kDecode:
      return "Unable to decode the provided data.";
    default:
      return "Unknown error " + std::to_string(status) + ".";
  }
}

double callTimeout() {
  return timeoutSeconds.load();
}

void setCallTimeout(double seconds) {
  if (std::isfinite(seconds) && seconds > 0) timeoutSeconds.store(seconds);
}

WriteResult Store::write(const std::string& service, const std::string& account,
                         const std::string& secret) {
  const Lookup found = find(service, account, false);
  if (found.status == kItemNotFound) return {add(service, account, secret), WriteStep::Add};
  if (found.status != kSuccess) return {found.status, WriteStep::Find};
  return {modify(*found.item, secret), WriteStep::Modify};
}

}  // namespace velquarin::platform::keychain
