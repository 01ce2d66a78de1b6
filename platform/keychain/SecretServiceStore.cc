// The credential store on the freedesktop Secret Service through libsecret. Every call runs on
// one worker thread and is bounded by callTimeout(); items are addressed by the attributes
// "service" and "account" only (no schema name), as `secret-tool` does.
//
// Items are handled by their object paths (libsecret's D-Bus path API) and single method calls
// on them, with secrets carried in libsecret's session encoding: an item proxy would cost three
// extra round trips to the bus and the daemon for every write.

#include "keychain/SecretServiceStore.h"

#include <gio/gio.h>

#include <chrono>
#include <map>
#include <utility>

#include "gio/GioLibrary.h"
#include "keychain/BoundedWorker.h"
#include "keychain/GHandles.h"
#include "keychain/SecretLibrary.h"

namespace velquarin::platform::keychain {

namespace {

// An error domain by its registered name: mapping an error never opens GIO or libsecret.
bool inDomain(const GError* error, const char* name) {
  return error->domain != 0 && error->domain == g_quark_try_string(name);
}

}  // namespace

Status statusForError(const GError* error) {
  if (!error) return kInternalError;
  if (inDomain(error, "g-io-error-quark")) {
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
  if (inDomain(error, "g-dbus-error-quark")) {
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
  if (inDomain(error, "secret-error")) {
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

constexpr const char* kItemInterface = "org.freedesktop.Secret.Item";
constexpr const char* kCollectionInterface = "org.freedesktop.Secret.Collection";
constexpr const char* kItemLabel = "org.freedesktop.Secret.Item.Label";
constexpr const char* kItemAttributes = "org.freedesktop.Secret.Item.Attributes";

struct GStrvFree {
  void operator()(gchar** strings) const { g_strfreev(strings); }
};
using GStrvPtr = std::unique_ptr<gchar*, GStrvFree>;

struct GFree {
  void operator()(gchar* text) const { g_free(text); }
};
using GCharPtr = std::unique_ptr<gchar, GFree>;

struct GVariantUnref {
  void operator()(GVariant* value) const { g_variant_unref(value); }
};
using GVariantPtr = std::unique_ptr<GVariant, GVariantUnref>;

// What one call on the worker hands back.
struct Reply {
  explicit Reply(Status status, WriteStep step = WriteStep::Find) : status(status), step(step) {}
  Status status;
  WriteStep step;
  std::shared_ptr<const Item> item;
  std::string text;
  std::vector<std::string> texts;
};

// An item by its object path, with the service connection it was found on.
class SecretServiceItem final : public Item {
 public:
  SecretServiceItem(std::string path, GObjectRef<SecretService> service)
      : path_(std::move(path)), service_(std::move(service)) {}
  const std::string& path() const { return path_; }
  SecretService* service() const { return service_.get(); }

 private:
  std::string path_;
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

// The "a{ss}" value of an attribute table, floating.
GVariant* attributesVariant(GHashTable* attributes) {
  GVariantBuilder builder;
  g_variant_builder_init(&builder, G_VARIANT_TYPE("a{ss}"));
  GHashTableIter iter;
  gpointer key = nullptr;
  gpointer value = nullptr;
  g_hash_table_iter_init(&iter, attributes);
  while (g_hash_table_iter_next(&iter, &key, &value)) {
    g_variant_builder_add(&builder, "{ss}", static_cast<const char*>(key),
                          static_cast<const char*>(value));
  }
  return g_variant_builder_end(&builder);
}

SecretValuePtr secretValue(const std::string& secret) {
  return SecretValuePtr(
      libsecret().value_new(secret.data(), static_cast<gssize>(secret.size()), "text/plain"));
}

// One method call to an object of the Secret Service; `parameters` may be floating.
GVariantPtr callMethod(SecretService* service, const char* path, const char* interface,
                       const char* method, GVariant* parameters, const char* replyType,
                       GCancellable* cancellable, GErrorOut& error) {
  auto* proxy = gioCast<GDBusProxy>(service, gio().dbus_proxy_get_type());
  return GVariantPtr(gio().dbus_connection_call_sync(
      gio().dbus_proxy_get_connection(proxy), gio().dbus_proxy_get_name(proxy), path, interface,
      method, parameters, G_VARIANT_TYPE(replyType), G_DBUS_CALL_FLAGS_NONE, -1, cancellable,
      error.slot()));
}

// One property of an object of the Secret Service.
GVariantPtr property(SecretService* service, const char* path, const char* interface,
                     const char* name, GCancellable* cancellable, GErrorOut& error) {
  GVariantPtr reply = callMethod(service, path, "org.freedesktop.DBus.Properties", "Get",
                                 g_variant_new("(ss)", interface, name), "(v)", cancellable, error);
  if (!reply) return nullptr;
  GVariant* value = nullptr;
  g_variant_get(reply.get(), "(v)", &value);
  return GVariantPtr(value);
}

// The bus and the service proxy, reused across calls. Only the worker thread touches it.
class Connection {
 public:
  Status open(GCancellable* cancellable) {
    if (service_ && gio().dbus_connection_is_closed(bus_.get())) close();
    if (service_) return kSuccess;
    if (!SecretLibrary::get() || !GioLibrary::get()) return kNotAvailable;
    GErrorOut error;
    bus_ = GObjectRef<GDBusConnection>::adopt(
        gio().bus_get_sync(G_BUS_TYPE_SESSION, cancellable, error.slot()));
    if (!bus_) return statusForError(error.get()) == kTimedOut ? kTimedOut : kNotAvailable;
    // GLib hands out its shared connection until the last user lets go, even once closed.
    if (gio().dbus_connection_is_closed(bus_.get())) {
      bus_.reset();
      return kNotAvailable;
    }
    // GLib's shared bus connection ends the process when the bus goes away; a lost bus is
    // a store failure for us, never a reason to end the host.
    gio().dbus_connection_set_exit_on_close(bus_.get(), FALSE);
    service_ = GObjectRef<SecretService>::adopt(
        libsecret().service_open_sync(libsecret().service_get_type(), nullptr,
                                      SECRET_SERVICE_OPEN_SESSION, cancellable, error.slot()));
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

  // Where the one item of (service, account) was last seen. Only a hint for reading its
  // secret in one round trip instead of two: that read goes to the store all the same, and
  // a failing one falls back to a search.
  const std::string* knownPath(const std::string& service, const std::string& account) const {
    const auto found = paths_.find({service, account});
    return found == paths_.end() ? nullptr : &found->second;
  }
  void remember(const std::string& service, const std::string& account, std::string path) {
    if (service.size() + account.size() > kMaxHintKeyBytes) return;
    if (paths_.size() >= kMaxKnownPaths) paths_.clear();
    paths_[{service, account}] = std::move(path);
  }
  void forget(const std::string& service, const std::string& account) {
    paths_.erase({service, account});
  }
  void forgetPath(const std::string& path) {
    std::erase_if(paths_, [&](const auto& entry) { return entry.second == path; });
  }

 private:
  // Bounds the hints' memory whatever names the host passes.
  static constexpr std::size_t kMaxKnownPaths = 256;
  static constexpr std::size_t kMaxHintKeyBytes = 4096;

  void close() {
    paths_.clear();
    service_.reset();
    bus_.reset();
  }

  GObjectRef<GDBusConnection> bus_;
  GObjectRef<SecretService> service_;
  std::map<std::pair<std::string, std::string>, std::string> paths_;
};

class SecretServiceStore final : public Store {
 public:
  Lookup find(const std::string& service, const std::optional<std::string>& account,
              bool withSecret) override {
    if (tooLarge(service) || (account && tooLarge(*account))) return Lookup{kDataTooLarge, {}, {}};
    Reply reply = call([=](Connection& connection, GCancellable* cancellable) {
      return findItem(connection, cancellable, service, account, withSecret);
    });
    return Lookup{reply.status, std::move(reply.item), std::move(reply.text)};
  }

  Status add(const std::string& service, const std::string& account,
             const std::string& secret) override {
    if (tooLarge(service) || tooLarge(account) || secret.size() > kMaxSecretBytes) {
      return kDataTooLarge;
    }
    return call([=](Connection& connection, GCancellable* cancellable) {
             return addItem(connection, cancellable, service, account, secret);
           })
        .status;
  }

  Status modify(const Item& item, const std::string& secret) override {
    auto object = objectOf(item);
    if (!object) return kInvalidItemRef;
    if (secret.size() > kMaxSecretBytes) return kDataTooLarge;
    return call([object, secret](Connection&, GCancellable* cancellable) {
             return Reply{setSecret(object->service(), object->path(), secret, cancellable)};
           })
        .status;
  }

  WriteResult write(const std::string& service, const std::string& account,
                    const std::string& secret) override {
    if (tooLarge(service) || tooLarge(account) || secret.size() > kMaxSecretBytes) {
      return {kDataTooLarge, WriteStep::Find};
    }
    const Reply reply = call([=](Connection& connection, GCancellable* cancellable) {
      return writeItem(connection, cancellable, service, account, secret);
    });
    return {reply.status, reply.step};
  }

  Status remove(const Item& item) override {
    auto object = objectOf(item);
    if (!object) return kInvalidItemRef;
    return call([object](Connection& connection, GCancellable* cancellable) {
             GErrorOut error;
             const gboolean deleted = libsecret().service_delete_item_dbus_path_sync(
                 object->service(), object->path().c_str(), cancellable, error.slot());
             connection.forgetPath(object->path());
             return Reply{deleted ? kSuccess : statusForError(error.get())};
           })
        .status;
  }

  Status account(const Item& item, std::string& account) override {
    auto object = objectOf(item);
    if (!object) return kInvalidItemRef;
    Reply reply = call([object](Connection&, GCancellable* cancellable) {
      GErrorOut error;
      GVariantPtr attributes = property(object->service(), object->path().c_str(), kItemInterface,
                                        "Attributes", cancellable, error);
      if (!attributes) return Reply{statusForError(error.get())};
      const gchar* value = nullptr;
      if (!g_variant_is_of_type(attributes.get(), G_VARIANT_TYPE("a{ss}")) ||
          !g_variant_lookup(attributes.get(), "account", "&s", &value)) {
        return Reply{kNoSuchAttribute};
      }
      Reply found{kSuccess};
      found.text = value;
      return found;
    });
    if (reply.status == kSuccess) account = std::move(reply.text);
    return reply.status;
  }

  Status accounts(const std::string& service, std::vector<std::string>& accounts) override {
    if (tooLarge(service)) return kDataTooLarge;
    Reply reply = call([service](Connection& connection, GCancellable* cancellable) {
      GHashTablePtr attributes = attributeTable(service, nullptr);
      GErrorOut error;
      GObjectListPtr items(libsecret().service_search_sync(connection.service(), nullptr,
                                                           attributes.get(), SECRET_SEARCH_ALL,
                                                           cancellable, error.slot()));
      if (error) return Reply{statusForError(error.get())};
      Reply found{kSuccess};
      for (GList* node = items.get(); node; node = node->next) {
        GHashTablePtr itemAttributes(libsecret().item_get_attributes(
            gioCast<SecretItem>(node->data, libsecret().item_get_type())));
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
  static bool tooLarge(const std::string& attribute) {
    return attribute.size() > kMaxAttributeBytes;
  }

  // A copy holding its own references, for a job that may outlive the caller's item.
  static std::optional<SecretServiceItem> objectOf(const Item& item) {
    const auto* ours = dynamic_cast<const SecretServiceItem*>(&item);
    if (!ours) return std::nullopt;
    return *ours;
  }

  static Reply secretOf(SecretService* secrets, std::string path, GCancellable* cancellable,
                        GErrorOut& error) {
    SecretValuePtr value(libsecret().service_get_secret_for_dbus_path_sync(
        secrets, path.c_str(), cancellable, error.slot()));
    // No secret and no error: the store left out an item it no longer has, or a locked one.
    if (!value) return Reply{error ? statusForError(error.get()) : kInvalidItemRef};
    Reply found{kSuccess};
    gsize length = 0;
    const gchar* bytes = libsecret().value_get(value.get(), &length);
    found.text.assign(bytes, length);
    found.item = std::make_shared<SecretServiceItem>(std::move(path),
                                                     GObjectRef<SecretService>::retain(secrets));
    return found;
  }

  static Reply findItem(Connection& connection, GCancellable* cancellable,
                        const std::string& service, const std::optional<std::string>& account,
                        bool withSecret) {
    SecretService* secrets = connection.service();
    GErrorOut error;
    if (account && withSecret) {
      if (const std::string* known = connection.knownPath(service, *account)) {
        Reply found = secretOf(secrets, *known, cancellable, error);
        if (found.status == kSuccess || found.status == kTimedOut ||
            found.status == kNotAvailable) {
          return found;
        }
        // Gone, locked or replaced: the search below tells which.
        connection.forget(service, *account);
        error.clear();
      }
    }

    GHashTablePtr attributes = attributeTable(service, account ? &*account : nullptr);
    gchar** unlockedPaths = nullptr;
    gchar** lockedPaths = nullptr;
    const gboolean searched = libsecret().service_search_for_dbus_paths_sync(
        secrets, nullptr, attributes.get(), cancellable, &unlockedPaths, &lockedPaths,
        error.slot());
    GStrvPtr unlocked(unlockedPaths);
    GStrvPtr locked(lockedPaths);
    if (!searched) return Reply{statusForError(error.get())};
    if (!unlocked || !unlocked.get()[0]) {
      // Unlocking would ask the user.
      return Reply{locked && locked.get()[0] ? kInteractionNotAllowed : kItemNotFound};
    }

    std::string chosen = unlocked.get()[0];
    if (unlocked.get()[1]) {
      // Another program added a second item for the pair; the newest one wins.
      guint64 newest = 0;
      for (gchar** path = unlocked.get(); *path; ++path) {
        GVariantPtr modified =
            property(secrets, *path, kItemInterface, "Modified", cancellable, error);
        if (!modified) return Reply{statusForError(error.get())};
        if (g_variant_is_of_type(modified.get(), G_VARIANT_TYPE_UINT64) &&
            g_variant_get_uint64(modified.get()) > newest) {
          newest = g_variant_get_uint64(modified.get());
          chosen = *path;
        }
      }
    } else if (account) {
      connection.remember(service, *account, chosen);
    }

    if (withSecret) return secretOf(secrets, std::move(chosen), cancellable, error);
    Reply found{kSuccess};
    found.item = std::make_shared<SecretServiceItem>(std::move(chosen),
                                                     GObjectRef<SecretService>::retain(secrets));
    return found;
  }

  static Status setSecret(SecretService* secrets, const std::string& path,
                          const std::string& secret, GCancellable* cancellable) {
    SecretValuePtr value = secretValue(secret);
    GVariant* encoded = libsecret().service_encode_dbus_secret(secrets, value.get());
    if (!encoded) return kInternalError;
    GErrorOut error;
    GVariantPtr reply = callMethod(secrets, path.c_str(), kItemInterface, "SetSecret",
                                   g_variant_new_tuple(&encoded, 1), "()", cancellable, error);
    return reply ? kSuccess : statusForError(error.get());
  }

  // One round trip when this connection has seen the account's item: its secret is set by
  // path. Otherwise, or when that item is gone or locked, a search decides between changing
  // the item found and adding one.
  static Reply writeItem(Connection& connection, GCancellable* cancellable,
                         const std::string& service, const std::string& account,
                         const std::string& secret) {
    if (const std::string* known = connection.knownPath(service, account)) {
      const Status status = setSecret(connection.service(), *known, secret, cancellable);
      if (status == kSuccess || status == kTimedOut || status == kNotAvailable) {
        return Reply{status, WriteStep::Modify};
      }
      connection.forget(service, account);
    }
    Reply found = findItem(connection, cancellable, service, account, false);
    if (found.status == kItemNotFound) {
      return Reply{addItem(connection, cancellable, service, account, secret).status,
                   WriteStep::Add};
    }
    if (found.status != kSuccess) return found;
    const auto& item = static_cast<const SecretServiceItem&>(*found.item);
    return Reply{setSecret(connection.service(), item.path(), secret, cancellable),
                 WriteStep::Modify};
  }

  static Reply addItem(Connection& connection, GCancellable* cancellable,
                       const std::string& service, const std::string& account,
                       const std::string& secret) {
    SecretService* secrets = connection.service();
    GErrorOut error;
    // Only an existing default collection: creating one would ask the user for a password.
    GCharPtr collection(libsecret().service_read_alias_dbus_path_sync(
        secrets, SECRET_COLLECTION_DEFAULT, cancellable, error.slot()));
    if (error) return Reply{statusForError(error.get())};
    if (!collection) return Reply{kNoDefaultKeychain};
    GVariantPtr locked =
        property(secrets, collection.get(), kCollectionInterface, "Locked", cancellable, error);
    if (!locked) return Reply{statusForError(error.get())};
    // Unlocking would ask the user.
    if (!g_variant_is_of_type(locked.get(), G_VARIANT_TYPE_BOOLEAN) ||
        g_variant_get_boolean(locked.get())) {
      return Reply{kInteractionNotAllowed};
    }

    GHashTablePtr attributes = attributeTable(service, &account);
    GHashTablePtr properties(g_hash_table_new_full(
        g_str_hash, g_str_equal, nullptr, reinterpret_cast<GDestroyNotify>(g_variant_unref)));
    g_hash_table_insert(properties.get(), const_cast<char*>(kItemLabel),
                        g_variant_ref_sink(g_variant_new_string(service.c_str())));
    g_hash_table_insert(properties.get(), const_cast<char*>(kItemAttributes),
                        g_variant_ref_sink(attributesVariant(attributes.get())));
    SecretValuePtr value = secretValue(secret);
    GCharPtr path(libsecret().service_create_item_dbus_path_sync(
        secrets, collection.get(), properties.get(), value.get(), SECRET_ITEM_CREATE_REPLACE,
        cancellable, error.slot()));
    if (!path) return Reply{statusForError(error.get())};
    connection.remember(service, account, path.get());
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
          Reply reply = operation(*connection, cancellable);
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
