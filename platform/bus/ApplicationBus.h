#pragma once

// The application's one object on the session bus, shared by every interface the module
// offers there (scripting, services, dock actions, ...).
//
// - Bus name: the main bundle's identifier; object path: that identifier with "." as "/" and
//   every character outside [A-Za-z0-9_] as "_" ("io.velquarin.desktop" ->
//   /io/velquarin/desktop), with org.freedesktop.DBus.ObjectManager on it.
// - The name is asked for without waiting and without replacing an owner: while another
//   process owns it this one queues for it and serves on its unique name. An identifier that
//   is not a bus name serves on the unique name only. Without a bus the interfaces are kept
//   and nothing is served (one warning).
//
// To add an interface: describe it as a BusInterface (properties with getters and setters,
// methods with handlers, signals; D-Bus signatures beside them) and call addInterface(), at
// any time, from the main thread. Objects below the application object (one per element of a
// collection, <path>/<Collection>/<element>) are added with addCollection() first, then
// addInterface(interface, "Collection"); handlers get the element's name ("" on the
// application object). Announce changes with emitPropertiesChanged() and the
// elementsAdded/elementsRemoved calls. Handlers run on the main thread, inside the loop.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bus/BusValue.h"

namespace velquarin::platform {

struct BusProperty {
  enum Flags : unsigned {
    kEmitsChange = 1u << 0,  // PropertiesChanged carries the new value
    kExplicit = 1u << 1,     // read only by a Get of its own: never in GetAll or in signals
  };
  std::string name;
  std::string signature;
  unsigned flags = 0;
  std::function<BusReply(const std::string& element)> get;
  // Empty for a read-only property.
  std::function<std::optional<BusError>(const std::string& element, const BusValue& value)> set;
};

struct BusMethod {
  std::string name;
  std::string inSignature;
  std::string outSignature;
  std::function<BusReply(const std::string& element, const std::vector<BusValue>& arguments)> call;
};

struct BusSignal {
  std::string name;
  std::string signature;
};

struct BusInterface {
  std::string name;
  std::vector<BusProperty> properties;
  std::vector<BusMethod> methods;
  std::vector<BusSignal> signals;
};

// The objects <application path>/<name>/<element>: which elements exist, and all of them.
struct BusCollection {
  std::string name;
  std::function<bool(const std::string& element)> contains;
  std::function<std::vector<std::string>()> elements;
};

class ApplicationBus {
 public:
  static ApplicationBus& shared();

  static std::string objectPathFor(const std::string& identifier);
  static bool isValidBusName(const std::string& name);

  // Connects and publishes what was added so far; later calls do nothing.
  void start();
  bool connected() const;
  std::string objectPath() const;
  std::string elementPath(const std::string& collection, const std::string& element) const;

  void addCollection(BusCollection collection);
  void addInterface(BusInterface interface, const std::string& collection = "");

  void emitPropertiesChanged(const std::string& path, const std::string& interface,
                             const std::vector<std::string>& names);
  void emitSignal(const std::string& path, const std::string& interface, const std::string& member,
                  const std::string& signature, const std::vector<BusValue>& values);
  // ObjectManager's InterfacesAdded / InterfacesRemoved for elements of a collection.
  void elementAdded(const std::string& collection, const std::string& element);
  void elementRemoved(const std::string& collection, const std::string& element);

  struct Names {
    std::optional<std::string> unique;
    std::optional<std::string> wellKnown;  // while this process owns it
  };
  Names names() const;

  struct Registration;
  struct State;

 private:
  ApplicationBus();
  void publish(Registration& registration);
  std::unique_ptr<State> state_;
};

}  // namespace velquarin::platform
