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

// A point in time as property lists hold it: seconds since 2001-01-01 UTC, as a double, so
// a date read from a file is written back with the same bits.
struct PlistDate {
  static constexpr double kReferenceDateOffset = 978307200;  // 2001-01-01 in Unix time

  double sinceReferenceDate = 0;

  static PlistDate fromUnixSeconds(double seconds) { return {seconds - kReferenceDateOffset}; }
  double unixSeconds() const { return sinceReferenceDate + kReferenceDateOffset; }
  bool operator==(const PlistDate&) const = default;
};

// One property-list value: a boolean, integer, real, string, data, date, array or
// dictionary. Integers cover the signed and the unsigned 64-bit range (the formats hold
// both). Strings are UTF-8 and end at their first NUL (the file formats cannot hold one).
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

  Type type() const {
    return storage_.index() == kUnsignedIndex ? Type::Integer : static_cast<Type>(storage_.index());
  }
  bool isNumber() const {
    return type() == Type::Boolean || type() == Type::Integer || type() == Type::Real;
  }

  // Exact kinds: nullopt (or null) when the value is of another kind.
  std::optional<bool> asBoolean() const { return get<bool>(); }
  // An integer in the signed range; asUnsignedInteger() for one above it.
  std::optional<std::int64_t> asInteger() const { return get<std::int64_t>(); }
  std::optional<std::uint64_t> asUnsignedInteger() const { return get<std::uint64_t>(); }
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
  // In the order of Type; integers above the signed range last.
  using Storage = std::variant<bool, std::int64_t, double, std::string, PlistData, PlistDate,
                               PlistArray, PlistDictionary, std::uint64_t>;
  static constexpr std::size_t kUnsignedIndex = 8;

  template <typename T>
  static Storage fromIntegral(T value) {
    if constexpr (std::is_unsigned_v<T> && sizeof(T) >= sizeof(std::int64_t)) {
      if (value > static_cast<T>(std::numeric_limits<std::int64_t>::max())) {
        return static_cast<std::uint64_t>(value);
      }
    }
    return static_cast<std::int64_t>(value);
  }
  template <typename T>
  std::optional<T> get() const {
    if (auto* value = std::get_if<T>(&storage_)) return *value;
    return std::nullopt;
  }

  Storage storage_;
};

// How a property list is stored.
enum class PlistFormat { Xml, Binary };

// Parses XML or binary property-list bytes; `format` receives the form they were in. Dates,
// integers and reals come out exactly as the bytes hold them. Values of no kind above (null,
// UID) are left out of arrays and dictionaries; lists nested deeper than
// kMaxPropertyListNesting parse to nothing.
std::optional<PlistValue> parsePlistValue(const std::string& bytes, PlistFormat* format = nullptr);

}  // namespace velquarin::platform
