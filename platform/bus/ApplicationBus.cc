#include "bus/ApplicationBus.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <list>

#include "bundle/Bundle.h"
#include "bus/BusMessage.h"
#include "bus/MainLoopBus.h"
#include "bus/SdBusLibrary.h"
#include "logging/Log.h"

namespace velquarin::platform {

#define BUS_LOG(level, text) Log::write(level, {"bus/ApplicationBus", __func__, __LINE__}, text)

struct ApplicationBus::Registration {
  BusInterface interface;
  std::string collection;
  State* state = nullptr;
  std::vector<sd_bus_vtable> vtable;
  SdBusSlotHandle slot;
};

struct ApplicationBus::State {
  std::unique_ptr<MainLoopBus> bus;
  bool started = false;
  std::string identifier;
  std::string path;
  bool owned = false;
  std::list<Registration> registrations;  // stable addresses: sd-bus keeps pointers
  std::list<std::pair<BusCollection, SdBusSlotHandle>> collections;
  SdBusSlotHandle objectManager;
  SdBusSlotHandle nameRequest;
  SdBusSlotHandle acquiredMatch;
  SdBusSlotHandle lostMatch;

  std::string collectionPath(const std::string& name) const {
    return (path == "/" ? std::string() : path) + "/" + name;
  }
  const BusCollection* collection(const std::string& name) const {
    for (const auto& [each, slot] : collections) {
      if (each.name == name) return &each;
    }
    return nullptr;
  }
  void rearm() {
    if (bus) bus->rearm();
  }
};

namespace {

// The element a path names below `registration`'s collection; nullopt when it names none.
std::optional<std::string> elementOf(const ApplicationBus::Registration& registration,
                                     const char* path) {
  if (!path) return std::nullopt;
  if (registration.collection.empty()) return std::string();
  const std::string prefix = registration.state->collectionPath(registration.collection) + "/";
  const std::string_view full(path);
  if (full.size() <= prefix.size() || full.substr(0, prefix.size()) != prefix) return std::nullopt;
  const std::string element(full.substr(prefix.size()));
  if (element.find('/') != std::string::npos) return std::nullopt;
  return element;
}

int failWith(sd_bus_error* error, const BusError& failure) {
  return sd_bus_error_set(error, failure.name.c_str(), failure.message.c_str());
}

int onMethod(sd_bus_message* message, void* userdata, sd_bus_error* error) {
  auto* registration = static_cast<ApplicationBus::Registration*>(userdata);
  const char* member = sd_bus_message_get_member(message);
  const auto element = elementOf(*registration, sd_bus_message_get_path(message));
  const BusMethod* method = nullptr;
  for (const auto& each : registration->interface.methods) {
    if (member && each.name == member) method = &each;
  }
  if (!method || !element) return failWith(error, {kBusErrorUnknownObject, "No such object"});
  std::vector<BusValue> arguments;
  if (readBusValues(message, method->inSignature, arguments) < 0) {
    return failWith(error, {kBusErrorInvalidArgs, "Arguments do not match the signature"});
  }
  const BusReply result = method->call(*element, arguments);
  if (result.error) return failWith(error, *result.error);
  sd_bus_message* raw = nullptr;
  int r = sd_bus_message_new_method_return(message, &raw);
  if (r < 0) return r;
  SdBusMessageHandle reply(raw);
  if ((r = appendBusValues(reply.get(), method->outSignature, result.values)) < 0) return r;
  return sd_bus_send(nullptr, reply.get(), nullptr);
}

const BusProperty* propertyNamed(const ApplicationBus::Registration& registration,
                                 const char* name) {
  for (const auto& each : registration.interface.properties) {
    if (name && each.name == name) return &each;
  }
  return nullptr;
}

int onGetProperty(sd_bus*, const char* path, const char*, const char* name, sd_bus_message* reply,
                  void* userdata, sd_bus_error* error) {
  auto* registration = static_cast<ApplicationBus::Registration*>(userdata);
  const BusProperty* property = propertyNamed(*registration, name);
  const auto element = elementOf(*registration, path);
  if (!property || !element) return failWith(error, {kBusErrorUnknownObject, "No such object"});
  const BusReply result = property->get ? property->get(*element) : BusReply::of({});
  if (result.error) return failWith(error, *result.error);
  return appendBusValue(reply, property->signature,
                        result.values.empty() ? BusValue() : result.values.front());
}

int onSetProperty(sd_bus*, const char* path, const char*, const char* name, sd_bus_message* value,
                  void* userdata, sd_bus_error* error) {
  auto* registration = static_cast<ApplicationBus::Registration*>(userdata);
  const BusProperty* property = propertyNamed(*registration, name);
  const auto element = elementOf(*registration, path);
  if (!property || !element || !property->set) {
    return failWith(error, {kBusErrorUnknownObject, "No such object"});
  }
  BusValue read;
  if (readBusValue(value, property->signature, read) < 0) {
    return failWith(error, {kBusErrorInvalidArgs, "The value does not match the signature"});
  }
  if (auto failure = property->set(*element, read)) return failWith(error, *failure);
  return 0;
}

int onFind(sd_bus*, const char* path, const char*, void* userdata, void** found, sd_bus_error*) {
  auto* registration = static_cast<ApplicationBus::Registration*>(userdata);
  const auto element = elementOf(*registration, path);
  const BusCollection* collection = registration->state->collection(registration->collection);
  if (!element || element->empty() || !collection || !collection->contains(*element)) return 0;
  *found = registration;
  return 1;
}

int onEnumerate(sd_bus*, const char*, void* userdata, char*** nodes, sd_bus_error*) {
  auto* entry = static_cast<std::pair<BusCollection, SdBusSlotHandle>*>(userdata);
  const auto& state = ApplicationBus::shared();
  const auto elements = entry->first.elements();
  char** list = static_cast<char**>(std::calloc(elements.size() + 1, sizeof(char*)));
  if (!list) return -ENOMEM;
  for (std::size_t i = 0; i < elements.size(); ++i) {
    list[i] = strdup(state.elementPath(entry->first.name, elements[i]).c_str());
    if (!list[i]) {
      for (std::size_t j = 0; j < i; ++j) std::free(list[j]);
      std::free(list);
      return -ENOMEM;
    }
  }
  *nodes = list;
  return 0;
}

std::vector<sd_bus_vtable> buildVtable(const BusInterface& interface) {
  // The start element is filled in by publish(): it names the format of the library, which
  // is open only once there is a bus.
  std::vector<sd_bus_vtable> table(1);
  for (const auto& method : interface.methods) {
    sd_bus_vtable entry{};
    entry.type = _SD_BUS_VTABLE_METHOD;
    entry.x.method.member = method.name.c_str();
    entry.x.method.signature = method.inSignature.c_str();
    entry.x.method.result = method.outSignature.c_str();
    entry.x.method.handler = onMethod;
    entry.x.method.names = "";
    table.push_back(entry);
  }
  for (const auto& property : interface.properties) {
    sd_bus_vtable entry{};
    entry.type = property.set ? _SD_BUS_VTABLE_WRITABLE_PROPERTY : _SD_BUS_VTABLE_PROPERTY;
    if (property.flags & BusProperty::kExplicit) {
      entry.flags = SD_BUS_VTABLE_PROPERTY_EXPLICIT;
    } else if (property.flags & BusProperty::kEmitsChange) {
      entry.flags = SD_BUS_VTABLE_PROPERTY_EMITS_CHANGE;
    }
    entry.x.property.member = property.name.c_str();
    entry.x.property.signature = property.signature.c_str();
    entry.x.property.get = onGetProperty;
    entry.x.property.set = property.set ? onSetProperty : nullptr;
    table.push_back(entry);
  }
  for (const auto& signal : interface.signals) {
    sd_bus_vtable entry{};
    entry.type = _SD_BUS_VTABLE_SIGNAL;
    entry.x.signal.member = signal.name.c_str();
    entry.x.signal.signature = signal.signature.c_str();
    entry.x.signal.names = "";
    table.push_back(entry);
  }
  sd_bus_vtable end{};
  end.type = _SD_BUS_VTABLE_END;
  table.push_back(end);
  return table;
}

bool nameElementIsValid(std::string_view element) {
  if (element.empty() || std::isdigit(static_cast<unsigned char>(element.front()))) return false;
  for (const char c : element) {
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '-') return false;
  }
  return true;
}

int onNameReply(sd_bus_message* reply, void* userdata, sd_bus_error*) {
  auto* state = static_cast<ApplicationBus::State*>(userdata);
  if (sd_bus_message_is_method_error(reply, nullptr)) {
    const sd_bus_error* error = sd_bus_message_get_error(reply);
    BUS_LOG(LogLevel::Warning, "Could not ask for the bus name " + state->identifier + " (" +
                                   (error && error->message ? error->message : "unknown") +
                                   "); serving on the unique name");
    return 0;
  }
  std::uint32_t answer = 0;
  if (sd_bus_message_read(reply, "u", &answer) < 0) return 0;
  // 1: the primary owner now, 4: already it; 2: queued behind the owner.
  if (answer == 1 || answer == 4) {
    state->owned = true;
  } else {
    BUS_LOG(LogLevel::Info, "The bus name " + state->identifier +
                                " is owned by another process; waiting for it and serving on "
                                "the unique name meanwhile");
  }
  return 0;
}

int onNameSignal(sd_bus_message* message, void* userdata, sd_bus_error*) {
  auto* state = static_cast<ApplicationBus::State*>(userdata);
  const char* name = nullptr;
  if (sd_bus_message_read(message, "s", &name) < 0 || !name || state->identifier != name) return 0;
  state->owned = std::strcmp(sd_bus_message_get_member(message), "NameAcquired") == 0;
  if (state->owned) BUS_LOG(LogLevel::Info, "Now serving on the bus name " + state->identifier);
  return 0;
}

}  // namespace

ApplicationBus::ApplicationBus() : state_(std::make_unique<State>()) {}

ApplicationBus& ApplicationBus::shared() {
  static ApplicationBus* bus = new ApplicationBus();  // lives as long as the process
  return *bus;
}

std::string ApplicationBus::objectPathFor(const std::string& identifier) {
  std::string path;
  std::size_t start = 0;
  while (start <= identifier.size()) {
    std::size_t end = identifier.find('.', start);
    if (end == std::string::npos) end = identifier.size();
    if (end > start) {
      path += '/';
      for (std::size_t i = start; i < end; ++i) {
        const unsigned char c = static_cast<unsigned char>(identifier[i]);
        path += std::isalnum(c) || c == '_' ? static_cast<char>(c) : '_';
      }
    }
    start = end + 1;
  }
  return path.empty() ? "/" : path;
}

bool ApplicationBus::isValidBusName(const std::string& name) {
  if (name.empty() || name.size() > 255) return false;
  std::size_t elements = 0;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = name.find('.', start);
    const std::string_view element =
        std::string_view(name).substr(start, end == std::string::npos ? end : end - start);
    if (!nameElementIsValid(element)) return false;
    ++elements;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return elements >= 2;
}

void ApplicationBus::start() {
  State& state = *state_;
  if (state.started) return;
  state.started = true;
  const auto bundle = Bundle::main();
  state.identifier = bundle ? bundle->identifier().value_or("") : "";
  state.path = objectPathFor(state.identifier);
  std::string error;
  state.bus = MainLoopBus::openSession(&error);
  if (!state.bus) {
    BUS_LOG(LogLevel::Warning,
            "No session bus (" + error + "): scripts cannot reach the application");
    return;
  }
  state.bus->setOnLost([&state](const std::string& reason) {
    BUS_LOG(LogLevel::Warning, "Lost the session bus (" + reason + ")");
    state.owned = false;
  });
  sd_bus* bus = state.bus->get();
  sd_bus_slot* slot = nullptr;
  if (sd_bus_add_object_manager(bus, &slot, state.path.c_str()) >= 0)
    state.objectManager.reset(slot);
  for (auto& entry : state.collections) {
    slot = nullptr;
    if (sd_bus_add_node_enumerator(bus, &slot, state.collectionPath(entry.first.name).c_str(),
                                   onEnumerate, &entry) >= 0) {
      entry.second.reset(slot);
    }
  }
  for (auto& registration : state.registrations) publish(registration);

  for (const char* member : {"NameAcquired", "NameLost"}) {
    slot = nullptr;
    if (sd_bus_match_signal_async(bus, &slot, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                  "org.freedesktop.DBus", member, onNameSignal, nullptr,
                                  &state) >= 0) {
      (std::strcmp(member, "NameAcquired") == 0 ? state.acquiredMatch : state.lostMatch)
          .reset(slot);
    }
  }
  if (isValidBusName(state.identifier)) {
    slot = nullptr;
    // Queue rather than replace: a running owner keeps its name.
    if (sd_bus_request_name_async(bus, &slot, state.identifier.c_str(), SD_BUS_NAME_QUEUE,
                                  onNameReply, &state) >= 0) {
      state.nameRequest.reset(slot);
    }
  } else {
    BUS_LOG(LogLevel::Info, "The bundle identifier \"" + state.identifier +
                                "\" is not a bus name; serving on the unique name only");
  }
  state.rearm();
}

bool ApplicationBus::connected() const {
  return state_->bus && !state_->bus->lost();
}

std::string ApplicationBus::objectPath() const {
  if (state_->started) return state_->path;
  const auto bundle = Bundle::main();
  return objectPathFor(bundle ? bundle->identifier().value_or("") : "");
}

std::string ApplicationBus::elementPath(const std::string& collection,
                                        const std::string& element) const {
  const std::string root = objectPath();
  return (root == "/" ? std::string() : root) + "/" + collection + "/" + element;
}

void ApplicationBus::addCollection(BusCollection collection) {
  State& state = *state_;
  auto& entry = state.collections.emplace_back(std::move(collection), nullptr);
  if (!connected()) return;
  sd_bus_slot* slot = nullptr;
  if (sd_bus_add_node_enumerator(state.bus->get(), &slot,
                                 state.collectionPath(entry.first.name).c_str(), onEnumerate,
                                 &entry) >= 0) {
    entry.second.reset(slot);
  }
}

void ApplicationBus::addInterface(BusInterface interface, const std::string& collection) {
  auto& registration = state_->registrations.emplace_back();
  registration.interface = std::move(interface);
  registration.collection = collection;
  registration.state = state_.get();
  registration.vtable = buildVtable(registration.interface);
  if (connected()) publish(registration);
}

void ApplicationBus::publish(Registration& registration) {
  State& state = *state_;
  sd_bus_slot* slot = nullptr;
  const char* name = registration.interface.name.c_str();
  registration.vtable.front() = sdBusVtableStart();
  const int r =
      registration.collection.empty()
          ? sd_bus_add_object_vtable(state.bus->get(), &slot, state.path.c_str(), name,
                                     registration.vtable.data(), &registration)
          : sd_bus_add_fallback_vtable(state.bus->get(), &slot,
                                       state.collectionPath(registration.collection).c_str(), name,
                                       registration.vtable.data(), onFind, &registration);
  if (r < 0) {
    BUS_LOG(LogLevel::Warning,
            std::string("Could not offer ") + name + " on the bus (" + std::strerror(-r) + ")");
    return;
  }
  registration.slot.reset(slot);
  if (!registration.collection.empty()) return;
  sd_bus_emit_interfaces_added(state.bus->get(), state.path.c_str(), name, nullptr);
  state.rearm();
}

void ApplicationBus::emitPropertiesChanged(const std::string& path, const std::string& interface,
                                           const std::vector<std::string>& names) {
  if (!connected() || names.empty()) return;
  std::vector<char*> list;
  for (const auto& name : names) list.push_back(const_cast<char*>(name.c_str()));
  list.push_back(nullptr);
  sd_bus_emit_properties_changed_strv(state_->bus->get(), path.c_str(), interface.c_str(),
                                      list.data());
  state_->rearm();
}

void ApplicationBus::emitSignal(const std::string& path, const std::string& interface,
                                const std::string& member, const std::string& signature,
                                const std::vector<BusValue>& values) {
  if (!connected()) return;
  sd_bus_message* raw = nullptr;
  if (sd_bus_message_new_signal(state_->bus->get(), &raw, path.c_str(), interface.c_str(),
                                member.c_str()) < 0) {
    return;
  }
  SdBusMessageHandle message(raw);
  if (appendBusValues(message.get(), signature, values) < 0) return;
  sd_bus_send(state_->bus->get(), message.get(), nullptr);
  state_->rearm();
}

void ApplicationBus::elementAdded(const std::string& collection, const std::string& element) {
  if (!connected()) return;
  sd_bus_emit_object_added(state_->bus->get(), elementPath(collection, element).c_str());
  state_->rearm();
}

void ApplicationBus::elementRemoved(const std::string& collection, const std::string& element) {
  if (!connected()) return;
  std::vector<char*> names;
  for (const auto& registration : state_->registrations) {
    if (registration.collection == collection) {
      names.push_back(const_cast<char*>(registration.interface.name.c_str()));
    }
  }
  if (names.empty()) return;
  names.push_back(nullptr);
  sd_bus_emit_interfaces_removed_strv(state_->bus->get(), elementPath(collection, element).c_str(),
                                      names.data());
  state_->rearm();
}

ApplicationBus::Names ApplicationBus::names() const {
  Names names;
  if (!connected()) return names;
  sd_bus* bus = state_->bus->get();
  const char* unique = nullptr;
  // Asking before the connection is up would run the loop from inside the caller.
  if (sd_bus_is_ready(bus) > 0 && sd_bus_get_unique_name(bus, &unique) >= 0 && unique) {
    names.unique = unique;
  }
  if (state_->owned) names.wellKnown = state_->identifier;
  return names;
}

}  // namespace velquarin::platform
