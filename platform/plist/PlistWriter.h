#pragma once

#include <string>

#include "plist/PlistValue.h"

namespace velquarin::platform {

// Property-list writers that keep every value exactly: dates over the whole range of the
// format (whole seconds in XML, the full real in binary), integers over the signed and
// unsigned 64-bit range, reals bit for bit (XML: the shortest text that reads back the same
// number), data of any size and strings with any text.

// Whether the XML form can hold `value`: XML 1.0 has no way to write most control
// characters, which a binary list may hold in its strings, and its dates have four-digit
// years.
bool plistFitsXml(const PlistValue& value);

// The XML form; empty when plistFitsXml is false.
std::string plistValueToXml(const PlistValue& value);

// The binary ("bplist00") form.
std::string plistValueToBinary(const PlistValue& value);

// The form `preferred` when it can hold `value`, else the binary form.
std::string writePlistValue(const PlistValue& value, PlistFormat preferred);

}  // namespace velquarin::platform
