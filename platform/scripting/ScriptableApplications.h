#pragma once

#include <cstddef>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace velquarin::platform {

// A message sent to another application's scripting interface: the object it went to
// ("application" or an id the application answered with), the selector and its arguments
// (null for an absent one).
struct ScriptingMessage {
  std::string receiver;
  std::string selector;
  nlohmann::json arguments;
};

struct ScriptingAnswer {
  bool raised = false;    // the application raised an exception instead of answering
  std::string exception;  // its reason
  nlohmann::json result;  // an object id ("<application>/<n>") or null
};

// Other applications' scripting interfaces. Linux has no counterpart, so each is a model
// registered by bundle identifier (by tests, demos, or a host bridging to a real program):
// it answers only the selectors it was given, raises on the ones marked so (an old version),
// gives every object it answers with an id of its own, and records each message in order.
// Setters and "activate" answer null. Any thread.
class ScriptableApplications {
 public:
  struct Description {
    std::vector<std::string> selectors;
    std::vector<std::string> raising;  // answered by raising an exception
  };

  // Replaces an earlier registration of `id` and its messages.
  static void add(const std::string& id, Description description);
  static bool remove(const std::string& id);
  static bool contains(const std::string& id);
  // Whether the application answers `selector` (raising ones included); false when it is
  // not registered.
  static bool responds(const std::string& id, const std::string& selector);
  // Sends a message; one the application does not answer raises ("unrecognized selector").
  // Not registered: raised, nothing recorded.
  static ScriptingAnswer send(const std::string& id, const std::string& receiver,
                              const std::string& selector, nlohmann::json arguments);
  static std::vector<ScriptingMessage> messages(const std::string& id);

  static constexpr std::size_t kKeptMessages = 1024;  // per application, the newest
};

}  // namespace velquarin::platform
