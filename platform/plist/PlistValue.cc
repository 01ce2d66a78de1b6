#include "plist/PlistValue.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "plist/PlistNesting.h"

namespace velquarin::platform {
namespace {

// libplist 2.2 holds dates with 64-bit seconds and integers with their sign, but hands them
// out as 32-bit seconds and bare 64 bits: what it holds is read back through its binary
// writer. Its binary reader cuts a date to whole microseconds, so the exact dates of a
// binary list are read from the bytes and found again by that cut form.
struct ReadContext {
  std::unordered_map<std::uint64_t, double> binaryDates;  // cut form's bits -> exact date
};

std::optional<std::uint64_t> bigEndian(std::string_view bytes, std::size_t at, std::size_t width) {
  if (at > bytes.size() || bytes.size() - at < width) return std::nullopt;
  std::uint64_t value = 0;
  for (std::size_t i = 0; i < width; ++i) {
    value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  }
  return value;
}

double doubleFromBits(std::uint64_t bits) {
  double value = 0;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// The binary form of a copy of `node` alone: its one object starts at byte 8.
std::string alone(plist_t node) {
  PlistPtr copy(plist_copy(node));
  char* bytes = nullptr;
  uint32_t length = 0;
  plist_to_bin(copy.get(), &bytes, &length);
  std::string result(bytes ? bytes : "", bytes ? length : 0);
  if (bytes) plist_to_bin_free(bytes);
  return result;
}

std::uint64_t bitsOf(double value) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// A date as libplist's binary reader keeps it (seconds and microseconds, each cut towards
// zero) and its writer gives it back.
double cutAsLibplist(double date) {
  const long seconds = static_cast<long>(date);
  const long micro = static_cast<long>((date - static_cast<double>(seconds)) * 1000000);
  return static_cast<double>(seconds) + static_cast<double>(micro) / 1000000;
}

PlistDate dateOf(plist_t node, const ReadContext& context) {
  const std::string bytes = alone(node);
  const auto bits = bigEndian(bytes, 9, 8);
  if (bytes.size() > 8 && static_cast<unsigned char>(bytes[8]) == 0x33 && bits) {
    if (auto exact = context.binaryDates.find(*bits); exact != context.binaryDates.end()) {
      return PlistDate{exact->second};
    }
    return PlistDate{doubleFromBits(*bits)};
  }
  int32_t sec = 0;
  int32_t usec = 0;
  plist_get_date_val(node, &sec, &usec);
  return PlistDate{sec + usec / 1e6};
}

PlistValue integerOf(plist_t node) {
  uint64_t value = 0;
  plist_get_uint_val(node, &value);
  // With the top bit set the 64 bits are a negative number or an unsigned one above the
  // signed range; libplist writes the latter as a 16-byte integer.
  if (value > static_cast<uint64_t>(std::numeric_limits<std::int64_t>::max())) {
    const std::string bytes = alone(node);
    if (bytes.size() > 8 && static_cast<unsigned char>(bytes[8]) == 0x14) return PlistValue(value);
  }
  return PlistValue(static_cast<std::int64_t>(value));
}

// The dates of a binary list (objects 0x33: an 8-byte real), by their cut form.
std::unordered_map<std::uint64_t, double> binaryDates(const std::string& bytes) {
  std::unordered_map<std::uint64_t, double> dates;
  constexpr std::size_t kTrailer = 32;
  if (bytes.size() < 8 + kTrailer) return dates;
  const std::size_t trailer = bytes.size() - kTrailer;
  const std::size_t offsetSize = static_cast<unsigned char>(bytes[trailer + 6]);
  const auto objects = bigEndian(bytes, trailer + 8, 8);
  const auto table = bigEndian(bytes, trailer + 24, 8);
  if (offsetSize < 1 || offsetSize > 8 || !objects || !table || *table >= trailer ||
      (trailer - *table) / offsetSize < *objects) {
    return dates;
  }
  for (std::uint64_t index = 0; index < *objects; ++index) {
    const auto offset = bigEndian(bytes, *table + index * offsetSize, offsetSize);
    if (!offset || *offset < 8 || *offset >= *table) continue;
    if (static_cast<unsigned char>(bytes[*offset]) != 0x33) continue;
    if (const auto bits = bigEndian(bytes, *offset + 1, 8)) {
      const double date = doubleFromBits(*bits);
      if (std::isfinite(date) && std::fabs(date) < 9e18) dates[bitsOf(cutAsLibplist(date))] = date;
    }
  }
  return dates;
}

std::optional<PlistValue> fromNode(plist_t node, std::size_t depth, const ReadContext& context);

std::optional<PlistValue> dictionaryFromNode(plist_t node, std::size_t depth,
                                             const ReadContext& context) {
  PlistDictionary result;
  plist_dict_iter iter = nullptr;
  plist_dict_new_iter(node, &iter);
  if (!iter) return result;
  for (;;) {
    char* key = nullptr;
    plist_t item = nullptr;
    plist_dict_next_item(node, iter, &key, &item);
    if (!key) break;
    auto value = fromNode(item, depth + 1, context);
    if (value) result.insert_or_assign(key, std::move(*value));
    std::free(key);
  }
  std::free(iter);
  return result;
}

std::optional<PlistValue> fromNode(plist_t node, std::size_t depth, const ReadContext& context) {
  if (!node || depth > kMaxPropertyListNesting) return std::nullopt;
  switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN: {
      uint8_t value = 0;
      plist_get_bool_val(node, &value);
      return PlistValue(value != 0);
    }
    case PLIST_UINT:
      return integerOf(node);
    case PLIST_REAL: {
      double value = 0;
      plist_get_real_val(node, &value);
      return PlistValue(value);
    }
    case PLIST_STRING: {
      char* value = nullptr;
      plist_get_string_val(node, &value);
      PlistValue result(std::string(value ? value : ""));
      std::free(value);
      return result;
    }
    case PLIST_DATA: {
      char* bytes = nullptr;
      uint64_t length = 0;
      plist_get_data_val(node, &bytes, &length);
      PlistData data(length);
      if (bytes && length) std::memcpy(data.data(), bytes, length);
      std::free(bytes);
      return PlistValue(std::move(data));
    }
    case PLIST_DATE:
      return PlistValue(dateOf(node, context));
    case PLIST_ARRAY: {
      PlistArray result;
      const uint32_t count = plist_array_get_size(node);
      result.reserve(count);
      for (uint32_t i = 0; i < count; ++i) {
        if (auto item = fromNode(plist_array_get_item(node, i), depth + 1, context)) {
          result.push_back(std::move(*item));
        }
      }
      return PlistValue(std::move(result));
    }
    case PLIST_DICT:
      return dictionaryFromNode(node, depth, context);
    default:
      return std::nullopt;
  }
}

}  // namespace

std::optional<double> PlistValue::numberValue() const {
  switch (type()) {
    case Type::Boolean:
      return *asBoolean() ? 1.0 : 0.0;
    case Type::Integer:
      if (auto unsignedValue = asUnsignedInteger()) return static_cast<double>(*unsignedValue);
      return static_cast<double>(*asInteger());
    case Type::Real:
      return *asReal();
    default:
      return std::nullopt;
  }
}

std::optional<PlistValue> parsePlistValue(const std::string& bytes, PlistFormat* format) {
  const bool binary = bytes.starts_with("bplist00");
  if (format) *format = binary ? PlistFormat::Binary : PlistFormat::Xml;
  ReadContext context;
  if (binary) context.binaryDates = binaryDates(bytes);
  auto root = parsePropertyList(bytes);
  if (!root) return std::nullopt;
  return fromNode(root.get(), 0, context);
}

}  // namespace velquarin::platform
