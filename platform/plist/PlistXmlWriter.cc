#include <glib.h>

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "plist/PlistNesting.h"
#include "plist/PlistWriter.h"

namespace velquarin::platform {
namespace {

constexpr std::string_view kHeader =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
    "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
    "<plist version=\"1.0\">\n";

// Bytes of characters XML 1.0 cannot carry at all, even as references.
bool forbiddenInXml(unsigned char c) {
  return (c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F;
}

// Control characters, and the non-characters U+FFFE and U+FFFF.
bool textFitsXml(const std::string& text) {
  for (const char c : text) {
    if (forbiddenInXml(static_cast<unsigned char>(c))) return false;
  }
  return text.find("\xEF\xBF\xBE") == std::string::npos &&
         text.find("\xEF\xBF\xBF") == std::string::npos;
}

// Years 1 to 9999: the four digits of the XML form.
bool dateFitsXml(const PlistDate& date) {
  const double seconds = std::floor(date.unixSeconds());
  return seconds >= -62135596800.0 && seconds <= 253402300799.0;
}

bool fitsXml(const PlistValue& value, std::size_t depth) {
  if (depth > kMaxPropertyListNesting) return false;
  if (const auto* text = value.asString()) return textFitsXml(*text);
  if (const auto date = value.asDate()) return dateFitsXml(*date);
  if (const auto* array = value.asArray()) {
    for (const auto& item : *array) {
      if (!fitsXml(item, depth + 1)) return false;
    }
  }
  if (const auto* dictionary = value.asDictionary()) {
    for (const auto& [key, item] : *dictionary) {
      if (!textFitsXml(key) || !fitsXml(item, depth + 1)) return false;
    }
  }
  return true;
}

// Markup escaped; a carriage return as a reference, since readers turn a bare one into a
// line feed.
void appendEscaped(std::string& out, const std::string& text) {
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '\r':
        out += "&#13;";
        break;
      default:
        out += c;
    }
  }
}

void appendReal(std::string& out, double value) {
  if (std::isnan(value)) {
    out += "nan";
  } else if (std::isinf(value)) {
    out += value > 0 ? "+infinity" : "-infinity";
  } else {
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    out.append(buffer.data(), result.ptr);
  }
}

// Days since 1970-01-01 as a civil date (proleptic Gregorian; H. Hinnant's algorithm).
void civilFromDays(std::int64_t days, std::int64_t& year, int& month, int& day) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t dayOfEra = days - era * 146097;
  const std::int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t shifted = (5 * dayOfYear + 2) / 153;
  day = static_cast<int>(dayOfYear - (153 * shifted + 2) / 5 + 1);
  month = static_cast<int>(shifted < 10 ? shifted + 3 : shifted - 9);
  year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
}

// Whole seconds (the XML form holds no more), rounded down as the binary form's readers do;
// only for dates that fit (dateFitsXml).
void appendDate(std::string& out, const PlistDate& date) {
  const auto whole = static_cast<std::int64_t>(std::floor(date.unixSeconds()));
  std::int64_t days = whole / 86400;
  std::int64_t rest = whole % 86400;
  if (rest < 0) rest += 86400, days -= 1;
  std::int64_t year = 0;
  int month = 0;
  int day = 0;
  civilFromDays(days, year, month, day);
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%04lld-%02d-%02dT%02lld:%02lld:%02lldZ",
                static_cast<long long>(year), month, day, static_cast<long long>(rest / 3600),
                static_cast<long long>(rest / 60 % 60), static_cast<long long>(rest % 60));
  out += buffer;
}

void appendData(std::string& out, const PlistData& data) {
  std::unique_ptr<gchar, decltype(&g_free)> encoded(g_base64_encode(data.data(), data.size()),
                                                    &g_free);
  out += encoded.get();
}

void appendIndent(std::string& out, std::size_t depth) {
  out.append(depth, '\t');
}

void appendValue(std::string& out, const PlistValue& value, std::size_t depth) {
  appendIndent(out, depth);
  switch (value.type()) {
    case PlistValue::Type::Boolean:
      out += *value.asBoolean() ? "<true/>\n" : "<false/>\n";
      return;
    case PlistValue::Type::Integer:
      out += "<integer>";
      out += value.asUnsignedInteger() ? std::to_string(*value.asUnsignedInteger())
                                       : std::to_string(*value.asInteger());
      out += "</integer>\n";
      return;
    case PlistValue::Type::Real:
      out += "<real>";
      appendReal(out, *value.asReal());
      out += "</real>\n";
      return;
    case PlistValue::Type::String:
      out += "<string>";
      appendEscaped(out, *value.asString());
      out += "</string>\n";
      return;
    case PlistValue::Type::Data:
      out += "<data>";
      appendData(out, *value.asData());
      out += "</data>\n";
      return;
    case PlistValue::Type::Date:
      out += "<date>";
      appendDate(out, *value.asDate());
      out += "</date>\n";
      return;
    case PlistValue::Type::Array:
      if (value.asArray()->empty()) {
        out += "<array/>\n";
        return;
      }
      out += "<array>\n";
      for (const auto& item : *value.asArray()) appendValue(out, item, depth + 1);
      appendIndent(out, depth);
      out += "</array>\n";
      return;
    case PlistValue::Type::Dictionary:
      if (value.asDictionary()->empty()) {
        out += "<dict/>\n";
        return;
      }
      out += "<dict>\n";
      for (const auto& [key, item] : *value.asDictionary()) {
        appendIndent(out, depth + 1);
        out += "<key>";
        appendEscaped(out, key);
        out += "</key>\n";
        appendValue(out, item, depth + 1);
      }
      appendIndent(out, depth);
      out += "</dict>\n";
      return;
  }
}

}  // namespace

bool plistFitsXml(const PlistValue& value) {
  return fitsXml(value, 0);
}

std::string plistValueToXml(const PlistValue& value) {
  if (!plistFitsXml(value)) return {};
  std::string out(kHeader);
  appendValue(out, value, 0);
  out += "</plist>\n";
  return out;
}

std::string writePlistValue(const PlistValue& value, PlistFormat preferred) {
  if (preferred == PlistFormat::Xml && plistFitsXml(value)) return plistValueToXml(value);
  return plistValueToBinary(value);
}

}  // namespace velquarin::platform
