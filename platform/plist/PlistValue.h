#pragma once

#include <concepts>
#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "plist/PropertyList.h"

namespace velquarin::platform {

class PlistValue;
using PlistArray = std::vector<PlistValue>;
using PlistDictionary = std::map<std::string, PlistValue>;
using PlistData = std::vector<std::uint8_t>;

// A point in time in seconds since the Unix epoch. Property lists keep whole seconds in
// their XML form, so a date read back from a file has lost its fraction.
struct PlistDate {
  double seconds = 0;
  bool operator==(const PlistDate&) const = default;
};

// One property-list value: a boolean, integer, real, string, data, date, array or
// dictionary. Integers are signed 64-bit (a file's unsigned integer beyond that range reads
// back wrapped, as libplist does not keep the sign; a C++ one becomes a real). Strings are UTF-8
// and end at their first NUL (the file format cannot hold one).
class PlistValue {
 public:
  enum class Type { Boolean, Integer, Real, String, Data, Date, Array, Dictionary };

  PlistValue() : storage_(false) {}
  PlistValue(bool value) : storage_(value) {}
  template <std::integral T>
  requires(!std::same_as<T, bool> && !std::same_as<T, char>) PlistValue(T value)
      : storage_(fromIntegral(value)) {}
  template <std::floating_point T>
  PlistValue(T value) : storage_(static_cast<double>(value)) {}
  PlistValue(std::string value) : storage_(std::move(value)) {}
  PlistValue(std::string_view value) : storage_(std::string(value)) {}
  PlistValue(const char* value) : storage_(std::string(value ? value : "")) {}
  PlistValue(PlistData value) : storage_(std::move(value)) {}
  PlistValue(PlistDate value) : storage_(value) {}
  PlistValue(PlistArray value) : storage_(std::move(value)) {}
  PlistValue(PlistDictionary value) : storage_(std::move(value)) {}

  Type type() const { return static_cast<Type>(storage_.index()); }
  bool isNumber() const {
    return type() == Type::Boolean || type() == Type::Integer || type() == Type::Real;
  }

  // Exact kinds: nullopt (or null) when the value is of another kind.
  std::optional<bool> asBoolean() const { return get<bool>(); }
  std::optional<std::int64_t> asInteger() const { return get<std::int64_t>(); }
  std::optional<double> asReal() const { return get<double>(); }
  std::optional<PlistDate> asDate() const { return get<PlistDate>(); }
  const std::string* asString() const { return std::get_if<std::string>(&storage_); }
  const PlistData* asData() const { return std::get_if<PlistData>(&storage_); }
  const PlistArray* asArray() const { return std::get_if<PlistArray>(&storage_); }
  const PlistDictionary* asDictionary() const { return std::get_if<PlistDictionary>(&storage_); }
  std::string* asString() { return std::get_if<std::string>(&storage_); }
  PlistData* asData() { return std::get_if<PlistData>(&storage_); }
  PlistArray* asArray() { return std::get_if<PlistArray>(&storage_); }
  PlistDictionary* asDictionary() { return std::get_if<PlistDictionary>(&storage_); }

  // A boolean, integer or real as a number (true is 1); nullopt for any other kind.
  std::optional<double> numberValue() const;

  bool operator==(const PlistValue& other) const { return storage_ == other.storage_; }

 private:
  using Storage = std::variant<bool, std::int64_t, double, std::string, PlistData, PlistDate,
                               PlistArray, PlistDictionary>;

  template <typename T>
  static std::variant<std::int64_t, double> widen(T value) {
    if constexpr (std::is_unsigned_v<T> && sizeof(T) >= sizeof(std::int64_t)) {
      if (value > static_cast<T>(std::numeric_limits<std::int64_t>::max())) {
        return static_cast<double>(value);
      }
    }
    return static_cast<std::int64_t>(value);
  }
  template <typename T>
  static Storage fromIntegral(T value) {
    return std::visit([](auto v) -> Storage { return v; }, widen(value));
  }
  template <typename T>
  std::optional<T> get() const {
    if (auto* value = std::get_if<T>(&storage_)) return *value;
    return std::nullopt;
  }

  Storage storage_;
};

// A libplist node as a value; nullopt for a node with no value kind (null, UID, a bare
// key) or nested deeper than kMaxPropertyListNesting. Entries of such kinds are left out
// of arrays and dictionaries.
std::optional<PlistValue> plistValueFromNode(plist_t node);
// A new libplist node holding `value`, or a dictionary node holding `dictionary`.
PlistPtr plistNodeFromValue(const PlistValue& value);
PlistPtr plistNodeFromDictionary(const PlistDictionary& dictionary);
// Parses XML or binary property-list bytes.
std::optional<PlistValue> parsePlistValue(const std::string& bytes);
// The XML form of `value` or of a node; empty when libplist cannot write it.
std::string plistValueToXml(const PlistValue& value);
std::string plistNodeToXml(plist_t node);

}  // namespace velquarin::platform
