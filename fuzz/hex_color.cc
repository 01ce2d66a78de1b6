// The account colours the host sends ("4F8CF8"): components always within 0 ... 1 in steps
// of 1/255, alpha 1, and the colour decided by the hexadecimal digits at the start only.

#include <cctype>
#include <cmath>
#include <cstdint>
#include <string>

#include "Extensions/NSColor+ZqExtensions.h"
#include "FuzzSupport.h"

namespace {

bool isByteFraction(double component) {
  if (!(component >= 0 && component <= 1)) return false;
  const double scaled = component * 255;
  return std::fabs(scaled - std::round(scaled)) < 1e-9;
}

bool sameColor(const velquarin::platform::Color& a, const velquarin::platform::Color& b) {
  return a.red == b.red && a.green == b.green && a.blue == b.blue && a.alpha == b.alpha;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const auto color = zq_colorWithHexColorString(text);
  ZQ_FUZZ_CHECK(isByteFraction(color.red), text);
  ZQ_FUZZ_CHECK(isByteFraction(color.green), text);
  ZQ_FUZZ_CHECK(isByteFraction(color.blue), text);
  ZQ_FUZZ_CHECK(color.alpha == 1, text);

  // Whatever follows the number does not change the colour.
  ZQ_FUZZ_CHECK(sameColor(color, zq_colorWithHexColorString(text + "g0F")), text);
  // Leading white space is skipped.
  ZQ_FUZZ_CHECK(sameColor(color, zq_colorWithHexColorString(" \t\n" + text)), text);
  // A text that does not start with a digit (after blanks) is black.
  std::size_t at = text.find_first_not_of(" \t\n\r\v\f");
  if (at != std::string::npos && !std::isxdigit(static_cast<unsigned char>(text[at]))) {
    ZQ_FUZZ_CHECK(color.red == 0 && color.green == 0 && color.blue == 0, text);
  }
  return 0;
}
