#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace velquarin::platform {

struct BusObjectPath {
  std::string path;
  bool operator==(const BusObjectPath&) const = default;
};

// A value as it travels on the bus; its D-Bus signature is given beside it. Arrays and
// structures are both lists; a{sv} is a map. Integers of every width read as int64.
struct BusValue {
  using List = std::vector<BusValue>;
  using Map = std::map<std::string, BusValue>;
  std::variant<std::monostate, bool, std::int64_t, double, std::string, BusObjectPath, List, Map>
      data;
  // The signature of the value inside a variant ("v"): what was read, or what to write.
  std::string variantSignature;

  BusValue() = default;
  BusValue(bool value) : data(value) {}
  BusValue(std::int64_t value) : data(value) {}
  BusValue(std::string value) : data(std::move(value)) {}
  BusValue(const char* value) : data(std::string(value)) {}
  BusValue(BusObjectPath value) : data(std::move(value)) {}
  BusValue(List value) : data(std::move(value)) {}
  BusValue(Map value) : data(std::move(value)) {}

  template <class T>
  const T* as() const {
    return std::get_if<T>(&data);
  }
};

// A failed call or property access: a D-Bus error name and its text.
struct BusError {
  std::string name;
  std::string message;
};

inline constexpr const char* kBusErrorInvalidArgs = "org.freedesktop.DBus.Error.InvalidArgs";
inline constexpr const char* kBusErrorUnknownObject = "org.freedesktop.DBus.Error.UnknownObject";
inline constexpr const char* kBusErrorFailed = "org.freedesktop.DBus.Error.Failed";

// The answer of a method (its out values) or of a property read (one value).
struct BusReply {
  std::optional<BusError> error;
  std::vector<BusValue> values;

  static BusReply of(std::vector<BusValue> values) { return {std::nullopt, std::move(values)}; }
  static BusReply fail(std::string name, std::string message) {
    return {BusError{std::move(name), std::move(message)}, {}};
  }
};

// The complete types of a signature, in order ("sa{sv}(ss)" -> "s", "a{sv}", "(ss)"); empty
// when the signature is malformed.
std::vector<std::string> splitBusSignature(const std::string& signature);

}  // namespace velquarin::platform
