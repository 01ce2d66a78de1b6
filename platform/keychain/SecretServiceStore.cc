// The credential store on the freedesktop Secret Service (libsecret's stable API). Every call
// runs on one worker thread and is bounded by callTimeout(); items are addressed by the
// attributes "service" and "account" only (no schema name), as `secret-tool` does.

#include "keychain/SecretServiceStore.h"

#include <gio/gio.h>
#include <libsecret/secret.h>

#include <chrono>
#include <utility>

#include "keychain/BoundedWorker.h"
#include "keychain/GHandles.h"

namespace velquarin::platform::keychain {

Status statusForError(const GError* error) {
  if (!error) return kInternalError;
  if (error->domain == G_IO_ERROR) {
    switch (error->code) {
      case G_IO_ERROR_CANCELLED:
      case G_IO_ERROR_TIMED_OUT:
        return kTimedOut;
      case G_IO_ERROR_CLOSED:
      case G_IO_ERROR_NOT_FOUND:
      case G_IO_ERROR_CONNECTION_REFUSED:
      case G_IO_ERROR_BROKEN_PIPE:  // also G_IO_ERROR_CONNECTION_CLOSED
        return kNotAvailable;
      default:
        return kInternalError;
    }
  }
  if (error->domain == G_DBUS_ERROR) {
    switch (error->code) {
      case G_DBUS_ERROR_NO_REPLY:
      case G_DBUS_ERROR_TIMEOUT:
      case G_DBUS_ERROR_TIMED_OUT:
        return kTimedOut;
      case G_DBUS_ERROR_SERVICE_UNKNOWN:
      case G_DBUS_ERROR_NAME_HAS_NO_OWNER:
      case G_DBUS_ERROR_NO_SERVER:
      case G_DBUS_ERROR_DISCONNECTED:
      case G_DBUS_ERROR_BAD_ADDRESS:
      case G_DBUS_ERROR_FILE_NOT_FOUND:
      case G_DBUS_ERROR_SPAWN_EXEC_FAILED:
      case G_DBUS_ERROR_SPAWN_FORK_FAILED:
      case G_DBUS_ERROR_SPAWN_CHILD_EXITED:
      case G_DBUS_ERROR_SPAWN_CHILD_SIGNALED:
      case G_DBUS_ERROR_SPAWN_FAILED:
      case G_DBUS_ERROR_SPAWN_SETUP_FAILED:
      case G_DBUS_ERROR_SPAWN_CONFIG_INVALID:
      case G_DBUS_ERROR_SPAWN_SERVICE_INVALID:
      case G_DBUS_ERROR_SPAWN_SERVICE_NOT_FOUND:
      case G_DBUS_ERROR_SPAWN_PERMISSIONS_INVALID:
      case G_DBUS_ERROR_SPAWN_FILE_INVALID:
      case G_DBUS_ERROR_SPAWN_NO_MEMORY:
        return kNotAvailable;
      // gnome-keyring answers UnknownMethod for an object path that no longer exists.
      case G_DBUS_ERROR_UNKNOWN_OBJECT:
      case G_DBUS_ERROR_UNKNOWN_METHOD:
        return kInvalidItemRef;
      default:
        return kInternalError;
    }
  }
  if (error->domain == SECRET_ERROR) {
    switch (error->code) {
      case SECRET_ERROR_IS_LOCKED:
        return kInteractionNotAllowed;
      case SECRET_ERROR_NO_SUCH_OBJECT:
        return kInvalidItemRef;
      case SECRET_ERROR_ALREADY_EXISTS:
        return kDuplicateItem;
      default:
        return kInternalError;
    }
  }
  return kInternalError;
}

namespace {

// What one call on the worker hands back.
struct Reply {
  explicit Reply(Status status) : status(status) {}
  Status status;
  std::shared_ptr<const Item> item;
  std::string text;
  std::vector<std::string> texts;
};

class SecretServiceItem final : public Item {
 public:
  SecretServiceItem(GObjectRef<SecretItem> object, GObjectRef<SecretService> service)
      : object_(std::move(object)), service_(std::move(service)) {}
  const GObjectRef<SecretItem>& object() const { return object_; }
  const GObjectRef<SecretService>& service() const { return service_; }

 private:
  GObjectRef<SecretItem> object_;
  // A SecretItem does not keep its service alive, but calls into it.
  GObjectRef<SecretService> service_;
};

// The table points into the strings; they must outlive it.
GHashTablePtr attributeTable(const std::string& service, const std::string* account) {
  GHashTablePtr table(g_hash_table_new(g_str_hash, g_str_equal));
  g_hash_table_insert(table.get(), const_cast<char*>("service"),
                      const_cast<char*>(service.c_str()));
  if (account) {
    g_hash_table_insert(table.get(), const_cast<char*>("account"),
                        const_cast<char*>(account->c_str()));
  }
  return table;
}

SecretValuePtr secretValue(const std::string& secret) {
  return SecretValuePtr(
      secret_value_new(secret.data(), static_cast<gssize>(secret.size()), "text/plain"));
}

// The bus and the service proxy, reused across calls. Only the worker thread touches it.
class Connection {
 public:
  Status open(GCancellable* cancellable) {
    if (service_ && g_dbus_connection_is_closed(bus_.get())) close();
    if (service_) return kSuccess;
    GErrorOut error;
    bus_ = GObjectRef<GDBusConnection>::adopt(
        g_bus_get_sync(G_BUS_TYPE_SESSION, cancellable, error.slot()));
    if (!bus_) return statusForError(error.get()) == kTimedOut ? kTimedOut : kNotAvailable;
    // GLib hands out its shared connection until the last user lets go, even once closed.
    if (g_dbus_connection_is_closed(bus_.get())) {
      bus_.reset();
      return kNotAvailable;
    }
    // GLib's shared bus connection ends the process when the bus goes away; a lost bus is
    // a store failure for us, never a reason to end the host.
    g_dbus_connection_set_exit_on_close(bus_.get(), FALSE);
    service_ = GObjectRef<SecretService>::adopt(secret_service_open_sync(
        SECRET_TYPE_SERVICE, nullptr, SECRET_SERVICE_OPEN_SESSION, cancellable, error.slot()));
    if (service_) return kSuccess;
    const Status status = statusForError(error.get());
    close();
    return status == kTimedOut ? kTimedOut : kNotAvailable;
  }

  SecretService* service() const { return service_.get(); }

  // After failures that may come from a lost bus or service, start over on the next call.
  void closeAfter(Status status) {
    if (status == kNotAvailable || status == kTimedOut) close();
  }

 private:
  void close() {
    service_.reset();
    bus_.reset();
  }

  GObjectRef<GDBusConnection> bus_;
  GObjectRef<SecretService> service_;
};

class SecretServiceStore final : public Store {
 public:
  Lookup find(const std::string& service, const std::optional<std::string>& account,
              bool withSecret) override {
    Reply reply = call([=](SecretService* secrets, GCancellable* cancellable) {
      return findItem(secrets, cancellable, service, account, withSecret);
    });
    return Lookup{reply.status, std::move(reply.item), std::move(reply.text)};
  }

  Status add(const std::string& service, const std::string& account,
             const std::string& secret) override {
    return call([=](SecretService* secrets, GCancellable* cancellable) {
             return addItem(secrets, cancellable, service, account, secret);
           })
        .status;
  }

  Status modify(const Item& item, const std::string& secret) override {
    auto object = objectOf(item);
    if (!object) return kInvalidItemRef;
    return call([object, secret](SecretService*, GCancellable* cancellable) {
             GErrorOut error;
             SecretValuePtr value = secretValue(secret);
             if (!secret_item_set_secret_sync(object->object().get(), value.get(), cancellable,
                                              error.slot())) {
               return Reply{statusForError(error.get())};
             }
             return Reply{kSuccess};
           })
        .status;
  }

  Status remove(const Item& item) override {
    auto object = objectOf(item);
    if (!object) return kInvalidItemRef;
    return call([object](SecretService*, GCancellable* cancellable) {
             GErrorOut error;
             if (!secret_item_delete_sync(object->object().get(), cancellable, error.slot())) {
               return Reply{statusForError(error.get())};
             }
             return Reply{kSuccess};
           })
        .status;
  }

  Status account(const Item& item, std::string& account) override {
    auto object = objectOf(item);
    if (!object) return kInvalidItemRef;
    Reply reply = call([object](SecretService*, GCancellable*) {
      GHashTablePtr attributes(secret_item_get_attributes(object->object().get()));
      const auto* value =
          attributes ? static_cast<const char*>(g_hash_table_lookup(attributes.get(), "account"))
                     : nullptr;
      if (!value) return Reply{kNoSuchAttribute};
      Reply found{kSuccess};
      found.text = value;
      return found;
    });
    if (reply.status == kSuccess) account = std::move(reply.text);
    return reply.status;
  }

  Status accounts(const std::string& service, std::vector<std::string>& accounts) override {
    Reply reply = call([service](SecretService* secrets, GCancellable* cancellable) {
      GHashTablePtr attributes = attributeTable(service, nullptr);
      GErrorOut error;
      GObjectListPtr items(secret_service_search_sync(
          secrets, nullptr, attributes.get(), SECRET_SEARCH_ALL, cancellable, error.slot()));
      if (error) return Reply{statusForError(error.get())};
      Reply found{kSuccess};
      for (GList* node = items.get(); node; node = node->next) {
        GHashTablePtr itemAttributes(secret_item_get_attributes(SECRET_ITEM(node->data)));
        const auto* value =
            itemAttributes
                ? static_cast<const char*>(g_hash_table_lookup(itemAttributes.get(), "account"))
                : nullptr;
        if (value) found.texts.emplace_back(value);
      }
      return found;
    });
    if (reply.status == kSuccess) accounts = std::move(reply.texts);
    return reply.status;
  }

 private:
  // A copy holding its own references, for a job that may outlive the caller's item.
  static std::optional<SecretServiceItem> objectOf(const Item& item) {
    const auto* ours = dynamic_cast<const SecretServiceItem*>(&item);
    if (!ours) return std::nullopt;
    return *ours;
  }

  static Reply findItem(SecretService* secrets, GCancellable* cancellable,
                        const std::string& service, const std::optional<std::string>& account,
                        bool withSecret) {
    GHashTablePtr attributes = attributeTable(service, account ? &*account : nullptr);
    GErrorOut error;
    GObjectListPtr items(secret_service_search_sync(secrets, nullptr, attributes.get(),
                                                    SECRET_SEARCH_ALL, cancellable, error.slot()));
    if (error) return Reply{statusForError(error.get())};
    // Another program may have added a second item for the pair; the newest one wins.
    SecretItem* chosen = nullptr;
    bool sawLocked = false;
    for (GList* node = items.get(); node; node = node->next) {
      auto* item = SECRET_ITEM(node->data);
      if (secret_item_get_locked(item)) {
        sawLocked = true;
      } else if (!chosen || secret_item_get_modified(item) > secret_item_get_modified(chosen)) {
        chosen = item;
      }
    }
    if (!chosen) return Reply{sawLocked ? kInteractionNotAllowed : kItemNotFound};

    Reply found{kSuccess};
    if (withSecret) {
      if (!secret_item_load_secret_sync(chosen, cancellable, error.slot())) {
        return Reply{statusForError(error.get())};
      }
      SecretValuePtr value(secret_item_get_secret(chosen));
      if (!value) return Reply{kInternalError};
      gsize length = 0;
      const gchar* bytes = secret_value_get(value.get(), &length);
      found.text.assign(bytes, length);
    }
    found.item = std::make_shared<SecretServiceItem>(GObjectRef<SecretItem>::retain(chosen),
                                                     GObjectRef<SecretService>::retain(secrets));
    return found;
  }

  static Reply addItem(SecretService* secrets, GCancellable* cancellable,
                       const std::string& service, const std::string& account,
                       const std::string& secret) {
    GErrorOut error;
    // Only an existing default collection: creating one would ask the user for a password.
    auto collection = GObjectRef<SecretCollection>::adopt(secret_collection_for_alias_sync(
        secrets, SECRET_COLLECTION_DEFAULT, SECRET_COLLECTION_NONE, cancellable, error.slot()));
    if (error) return Reply{statusForError(error.get())};
    if (!collection) return Reply{kNoDefaultKeychain};
    if (secret_collection_get_locked(collection.get())) return Reply{kInteractionNotAllowed};
    GHashTablePtr attributes = attributeTable(service, &account);
    SecretValuePtr value = secretValue(secret);
    auto item = GObjectRef<SecretItem>::adopt(secret_item_create_sync(
        collection.get(), nullptr, attributes.get(), service.c_str(), value.get(),
        SECRET_ITEM_CREATE_REPLACE, cancellable, error.slot()));
    if (!item) return Reply{statusForError(error.get())};
    return Reply{kSuccess};
  }

  // Runs `operation` on the worker with an open connection, within the call timeout.
  template <typename Operation>
  Reply call(Operation operation) {
    auto connection = connection_;
    const auto timeout = std::chrono::milliseconds(static_cast<long long>(callTimeout() * 1000));
    auto reply = worker_.run<Reply>(
        [connection, operation = std::move(operation)](GCancellable* cancellable) mutable {
          const Status opened = connection->open(cancellable);
          if (opened != kSuccess) return Reply{opened};
          Reply reply = operation(connection->service(), cancellable);
          connection->closeAfter(reply.status);
          return reply;
        },
        timeout);
    return reply ? std::move(*reply) : Reply{kTimedOut};
  }

  std::shared_ptr<Connection> connection_ = std::make_shared<Connection>();
  BoundedWorker worker_;
};

}  // namespace

Store& defaultStore() {
  static SecretServiceStore store;
  return store;
}

}  // namespace velquarin::platform::keychain
