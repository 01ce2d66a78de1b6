#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

namespace velquarin::platform {

// A notification: its name, the object that posted it (an identity, never dereferenced
// by the centre), the object's value when it is plain data (a search string, say; null when
// there is none) and a user-info dictionary (a JSON object, or null when there is none).
// Observers read a plain object from `value`, never from the identity.
struct Notification {
  std::string name;
  const void* object = nullptr;
  nlohmann::json userInfo;
  nlohmann::json value;
};

using ObserverId = std::uint64_t;

// The process notification centre: observers by name (or every name) and optional object.
class NotificationCenter {
 public:
  enum class Delivery {
    Posting,    // run on the posting thread, during post()
    MainQueue,  // run on the main thread: during post() when posted there, else queued
  };
  using Observer = std::function<void(const Notification&)>;

  // The process's default centre, and the centre shared with other processes (appearance
  // changes and the like arrive there).
  static NotificationCenter& defaultCenter();
  static NotificationCenter& distributedCenter();

  // `name` empty: every name. `object` null: any object.
  ObserverId addObserver(std::optional<std::string> name, const void* object, Delivery delivery,
                         Observer observer);
  void removeObserver(ObserverId id);
  void post(std::string name, const void* object = nullptr, nlohmann::json userInfo = nullptr);
  // Posts a notification built in full (a value object included).
  void post(Notification notification);
  std::size_t observerCount() const;

 private:
  struct Entry {
    ObserverId id;
    std::optional<std::string> name;
    const void* object;
    Delivery delivery;
    std::shared_ptr<Observer> observer;
  };

  bool isRegistered(ObserverId id) const;

  mutable std::mutex mutex_;
  std::vector<Entry> entries_;
  ObserverId nextId_ = 1;
};

}  // namespace velquarin::platform
