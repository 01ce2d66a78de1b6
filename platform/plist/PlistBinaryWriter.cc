#include <glib.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "plist/PlistWriter.h"

namespace velquarin::platform {
namespace {

// Bytes needed for an unsigned number: 1, 2, 4 or 8.
std::size_t widthFor(std::uint64_t value) {
  if (value <= 0xFF) return 1;
  if (value <= 0xFFFF) return 2;
  if (value <= 0xFFFFFFFF) return 4;
  return 8;
}

void appendBigEndian(std::string& out, std::uint64_t value, std::size_t width) {
  for (std::size_t i = width; i-- > 0;) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

void appendBits(std::string& out, unsigned char marker, double value) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  out += static_cast<char>(marker);
  appendBigEndian(out, bits, 8);
}

// A marker with a count: in its low half up to 14, else followed by an integer object.
void appendCounted(std::string& out, unsigned char kind, std::uint64_t count) {
  if (count < 15) {
    out += static_cast<char>(kind << 4 | count);
    return;
  }
  out += static_cast<char>(kind << 4 | 0xF);
  const std::size_t width = widthFor(count);
  out += static_cast<char>(0x10 | (width == 1 ? 0 : width == 2 ? 1 : width == 4 ? 2 : 3));
  appendBigEndian(out, count, width);
}

// Non-negative integers in the fewest of 1, 2, 4 or 8 bytes; negative ones in 8; those
// above the signed range in 16, as readers take them.
void appendInteger(std::string& out, const PlistValue& value) {
  if (const auto big = value.asUnsignedInteger()) {
    out += static_cast<char>(0x14);
    appendBigEndian(out, 0, 8);
    appendBigEndian(out, *big, 8);
    return;
  }
  const std::int64_t number = *value.asInteger();
  const std::size_t width = number < 0 ? 8 : widthFor(static_cast<std::uint64_t>(number));
  out += static_cast<char>(0x10 | (width == 1 ? 0 : width == 2 ? 1 : width == 4 ? 2 : 3));
  appendBigEndian(out, static_cast<std::uint64_t>(number), width);
}

// ASCII as it is; anything else as UTF-16 (big-endian), invalid UTF-8 as U+FFFD.
void appendString(std::string& out, const std::string& text) {
  bool ascii = true;
  for (const char c : text) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii) {
    appendCounted(out, 0x5, text.size());
    out += text;
    return;
  }
  std::unique_ptr<gchar, decltype(&g_free)> valid(
      g_utf8_make_valid(text.data(), static_cast<gssize>(text.size())), &g_free);
  glong units = 0;
  std::unique_ptr<gunichar2, decltype(&g_free)> utf16(
      g_utf8_to_utf16(valid.get(), -1, nullptr, &units, nullptr), &g_free);
  if (!utf16) units = 0;
  appendCounted(out, 0x6, static_cast<std::uint64_t>(units));
  for (glong i = 0; i < units; ++i) appendBigEndian(out, utf16.get()[i], 2);
}

// Objects are numbered depth first as they are written; containers refer to the numbers of
// their entries, so an entry's number is known once it is written. Every object is written
// once, even when equal to another.
class BinaryWriter {
 public:
  std::string write(const PlistValue& root) {
    count(root);
    refWidth_ = widthFor(objects_);
    body_ = "bplist00";
    next_ = 0;
    const std::uint64_t top = add(root);
    const std::uint64_t tableOffset = body_.size();
    const std::size_t offsetWidth = widthFor(tableOffset);
    for (const auto offset : offsets_) appendBigEndian(body_, offset, offsetWidth);
    body_.append(6, '\0');
    body_ += static_cast<char>(offsetWidth);
    body_ += static_cast<char>(refWidth_);
    appendBigEndian(body_, objects_, 8);
    appendBigEndian(body_, top, 8);
    appendBigEndian(body_, tableOffset, 8);
    return std::move(body_);
  }

 private:
  void count(const PlistValue& value) {
    ++objects_;
    if (const auto* array = value.asArray()) {
      for (const auto& item : *array) count(item);
    } else if (const auto* dictionary = value.asDictionary()) {
      objects_ += dictionary->size();
      for (const auto& [key, item] : *dictionary) count(item);
    }
  }

  // Writes `value` after its entries; returns its number.
  std::uint64_t add(const PlistValue& value) {
    std::vector<std::uint64_t> refs;
    if (const auto* array = value.asArray()) {
      for (const auto& item : *array) refs.push_back(add(item));
    } else if (const auto* dictionary = value.asDictionary()) {
      for (const auto& entry : *dictionary) refs.push_back(addKey(entry.first));
      for (const auto& entry : *dictionary) refs.push_back(add(entry.second));
    }
    const std::uint64_t number = begin();
    switch (value.type()) {
      case PlistValue::Type::Boolean:
        body_ += static_cast<char>(*value.asBoolean() ? 0x09 : 0x08);
        break;
      case PlistValue::Type::Integer:
        appendInteger(body_, value);
        break;
      case PlistValue::Type::Real:
        appendBits(body_, 0x23, *value.asReal());
        break;
      case PlistValue::Type::Date:
        appendBits(body_, 0x33, value.asDate()->sinceReferenceDate);
        break;
      case PlistValue::Type::Data:
        appendCounted(body_, 0x4, value.asData()->size());
        body_.append(reinterpret_cast<const char*>(value.asData()->data()), value.asData()->size());
        break;
      case PlistValue::Type::String:
        appendString(body_, *value.asString());
        break;
      case PlistValue::Type::Array:
        appendCounted(body_, 0xA, refs.size());
        for (const auto ref : refs) appendBigEndian(body_, ref, refWidth_);
        break;
      case PlistValue::Type::Dictionary:
        appendCounted(body_, 0xD, refs.size() / 2);
        for (const auto ref : refs) appendBigEndian(body_, ref, refWidth_);
        break;
    }
    return number;
  }

  std::uint64_t addKey(const std::string& key) {
    const std::uint64_t number = begin();
    appendString(body_, key);
    return number;
  }

  std::uint64_t begin() {
    offsets_.push_back(body_.size());
    return next_++;
  }

  std::uint64_t objects_ = 0;
  std::size_t refWidth_ = 1;
  std::string body_;
  std::vector<std::uint64_t> offsets_;
  std::uint64_t next_ = 0;
};

}  // namespace

std::string plistValueToBinary(const PlistValue& value) {
  return BinaryWriter().write(value);
}

}  // namespace velquarin::platform
