#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The desktop's credential store: generic-password items addressed by (service, account),
// whose secret is a byte string. The default store is the freedesktop Secret Service on the
// session bus; no call ever waits longer than callTimeout() and nothing is ever written to a
// plain file instead.

namespace velquarin::platform::keychain {

// Result codes, numbered as the credential store's signed 32-bit statuses (docs/Keychain.md).
using Status = std::int32_t;
inline constexpr Status kSuccess = 0;
// The store did not answer within callTimeout(); the call was cancelled.
inline constexpr Status kTimedOut = -36;
// Any other failure of the store or of the bus conversation.
inline constexpr Status kInternalError = -2070;
// No session bus, or nobody provides the Secret Service on it.
inline constexpr Status kNotAvailable = -25291;
// An item with the same attributes was added meanwhile.
inline constexpr Status kDuplicateItem = -25299;
inline constexpr Status kItemNotFound = -25300;
// A secret or attribute above what the store takes (kMaxSecretBytes, kMaxAttributeBytes).
inline constexpr Status kDataTooLarge = -25302;
// The item an operation was given is gone (deleted meanwhile) or not one of this store's.
inline constexpr Status kInvalidItemRef = -25304;
// The item has no such attribute.
inline constexpr Status kNoSuchAttribute = -25303;
// There is no default collection to add items to.
inline constexpr Status kNoDefaultKeychain = -25307;
// The collection or item is locked, and unlocking it would need the user.
inline constexpr Status kInteractionNotAllowed = -25308;
// A secret that is not text (not UTF-8).
inline constexpr Status kDecode = -26275;

// Limits of one item, well below the bus's message limit: a message above that ends the
// connection to the bus.
inline constexpr std::size_t kMaxSecretBytes = 16 * 1024 * 1024;
inline constexpr std::size_t kMaxAttributeBytes = 1024 * 1024;

// A sentence describing `status`, in the manner of the system's message for a code.
std::string errorMessage(Status status);

// A reference to one stored item, as returned by a lookup of the same store.
class Item {
 public:
  virtual ~Item() = default;
};

struct Lookup {
  Status status = kItemNotFound;
  // Set when status is kSuccess.
  std::shared_ptr<const Item> item;
  // The secret's bytes, when asked for and found.
  std::string secret;
};

// What one write did: the step it ended on, with that step's status.
enum class WriteStep { Find, Add, Modify };
struct WriteResult {
  Status status = kSuccess;
  WriteStep step = WriteStep::Find;
};

class Store {
 public:
  virtual ~Store() = default;

  // The item of (service, account); with no account, any one item of the service. Items
  // that are locked are not returned: only locked matches give kInteractionNotAllowed.
  virtual Lookup find(const std::string& service, const std::optional<std::string>& account,
                      bool withSecret) = 0;
  // A new item in the default collection, labelled with the service.
  virtual Status add(const std::string& service, const std::string& account,
                     const std::string& secret) = 0;
  // Replaces the secret of an item; its attributes stay.
  virtual Status modify(const Item& item, const std::string& secret) = 0;
  virtual Status remove(const Item& item) = 0;
  // Sets the secret of the item of (service, account), adding one when there is none. The
  // item found is the one that changes, so an account keeps one item. By default a find,
  // then an add or a modify.
  virtual WriteResult write(const std::string& service, const std::string& account,
                            const std::string& secret);
  // The item's account attribute.
  virtual Status account(const Item& item, std::string& account) = 0;
  // The account attributes of every item of the service.
  virtual Status accounts(const std::string& service, std::vector<std::string>& accounts) = 0;
};

// The Secret Service on the session bus, one per process.
Store& defaultStore();

// How long one call of the default store may take before it fails with kTimedOut.
double callTimeout();
// Values that are not finite or not above zero are ignored.
void setCallTimeout(double seconds);

}  // namespace velquarin::platform::keychain
