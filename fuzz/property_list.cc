// Property lists as preferences, defaults and the previous version's preferences read them:
// XML or binary bytes to a value, to JSON and to the migration's JSON form; a value that was
// read is written as XML or binary and reads back as the same value.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "FuzzSupport.h"
#include "Migration/ZqMigration.h"
#include "Utilities/ZqJSONFromPlistValue.h"
#include "plist/PlistNesting.h"
#include "plist/PlistValue.h"
#include "plist/PlistWriter.h"
#include "plist/PropertyList.h"

namespace {

using velquarin::platform::PlistValue;

bool sameNumber(double x, double y) {
  return x == y || (std::isnan(x) && std::isnan(y));
}

// Equality that lets NaN equal NaN (a binary list's reals and dates are doubles and may be one).
bool same(const PlistValue& a, const PlistValue& b) {
  if (a.type() != b.type()) return false;
  switch (a.type()) {
    case PlistValue::Type::Real:
      return sameNumber(*a.asReal(), *b.asReal());
    case PlistValue::Type::Date:
      return sameNumber(a.asDate()->sinceReferenceDate, b.asDate()->sinceReferenceDate);
    case PlistValue::Type::Array: {
      const auto& x = *a.asArray();
      const auto& y = *b.asArray();
      if (x.size() != y.size()) return false;
      for (std::size_t i = 0; i < x.size(); ++i) {
        if (!same(x[i], y[i])) return false;
      }
      return true;
    }
    case PlistValue::Type::Dictionary: {
      const auto& x = *a.asDictionary();
      const auto& y = *b.asDictionary();
      if (x.size() != y.size()) return false;
      for (auto i = x.begin(), j = y.begin(); i != x.end(); ++i, ++j) {
        if (i->first != j->first || !same(i->second, j->second)) return false;
      }
      return true;
    }
    default:
      return a == b;
  }
}

// A readable form for failure reports: the written bytes hold NULs and binary reals.
std::string describe(const PlistValue& value) {
  std::string text;
  if (const auto* items = value.asArray()) {
    for (const auto& item : *items) text += describe(item) + ", ";
    return "[" + text + "]";
  }
  if (const auto* entries = value.asDictionary()) {
    for (const auto& [key, item] : *entries) text += key + ": " + describe(item) + ", ";
    return "{" + text + "}";
  }
  if (const auto* string = value.asString()) return '"' + *string + '"';
  const auto real = value.type() == PlistValue::Type::Date ? value.asDate()->sinceReferenceDate
                                                           : value.asReal().value_or(0);
  return std::to_string(static_cast<int>(value.type())) + ":" + std::to_string(real);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);

  // The bundle's Info.plist road: bytes to JSON.
  if (auto root = velquarin::platform::parsePropertyList(bytes)) {
    (void)velquarin::platform::propertyListToJson(root.get())
        .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  }

  // The defaults and migration road: bytes to a value.
  const auto value = velquarin::platform::parsePlistValue(bytes);
  if (!value) return 0;
  (void)ZqJSONFromPlistValue(*value);

  // Written in either form, a value reads back as itself once it has been through one round
  // (XML keeps whole seconds of dates; text becomes valid UTF-8).
  using velquarin::platform::PlistFormat;
  for (const auto format : {PlistFormat::Xml, PlistFormat::Binary}) {
    const std::string first = velquarin::platform::writePlistValue(*value, format);
    ZQ_FUZZ_CHECK(velquarin::platform::propertyListNestingWithin(first), first);
    const auto once = velquarin::platform::parsePlistValue(first);
    ZQ_FUZZ_CHECK(once.has_value(), first);
    const std::string again = velquarin::platform::writePlistValue(*once, format);
    const auto twice = velquarin::platform::parsePlistValue(again);
    ZQ_FUZZ_CHECK(twice.has_value(), again);
    ZQ_FUZZ_CHECK(same(*once, *twice), describe(*once) + "\n----\n" + describe(*twice));
  }
  return 0;
}
