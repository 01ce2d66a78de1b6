// The status menu's filling of host texts ("%@ (%lu)") with an account's label and unread
// count, against a plain reference of the documented rules, and the cut of long texts to a
// number of characters.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "StatusItem/ZqHostFormat.h"

namespace {

// The rules written out the slow, obvious way: walk the text, and at each "%" try the
// sequences that count, longest conversion first.
std::string referenceFill(std::string_view format, const std::vector<ZqHostFormatArg>& args) {
  static const char* const kConversions[] = {"lld", "llu", "ld", "lu", "zu", "d", "i", "u", "@"};
  std::string out;
  std::size_t nextArgument = 0;
  std::size_t at = 0;
  while (at < format.size()) {
    if (format[at] != '%') {
      out += format[at++];
      continue;
    }
    if (at + 1 < format.size() && format[at + 1] == '%') {
      out += '%';
      at += 2;
      continue;
    }
    std::size_t cursor = at + 1;
    bool numbered = false;
    std::size_t position = 0;
    std::size_t end = cursor;
    while (end < format.size() && format[end] >= '0' && format[end] <= '9') ++end;
    if (end > cursor && end < format.size() && format[end] == '$') {
      // Positions count from 1; 0 or one too large to hold is no position.
      bool fits = true;
      for (std::size_t k = cursor; k < end; ++k) {
        const auto digit = static_cast<std::size_t>(format[k] - '0');
        if (position > (SIZE_MAX - digit) / 10) fits = false;
        position = position * 10 + digit;
      }
      if (!fits || position == 0) {
        out += '%';
        ++at;
        continue;
      }
      numbered = true;
      cursor = end + 1;
    }
    std::string_view conversion;
    for (const char* candidate : kConversions) {
      if (format.substr(cursor).starts_with(candidate)) {
        conversion = candidate;
        break;
      }
    }
    if (conversion.empty()) {
      out += '%';
      ++at;
      continue;
    }
    const std::size_t index = numbered ? position - 1 : nextArgument++;
    const std::size_t length = cursor + conversion.size() - at;
    bool filled = false;
    if (index < args.size()) {
      if (const auto* number = std::get_if<std::uint64_t>(&args[index])) {
        out += std::to_string(*number);
        filled = true;
      } else if (conversion == "@") {
        out += std::get<std::string_view>(args[index]);
        filled = true;
      }
    }
    if (!filled) out += format.substr(at, length);
    at += length;
  }
  return out;
}

bool isContinuation(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

std::size_t characters(std::string_view text) {
  std::size_t count = 0;
  for (char c : text) count += isContinuation(c) ? 0 : 1;
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ZqFuzzFields fields(data, size);
  const std::string_view shape = fields.next();
  const std::string_view label = fields.next();
  const std::uint64_t count = fields.number();
  // Copied so that ASan sees any read past the end of the host's text.
  const std::string format(fields.rest());

  // Which arguments the caller hands over: none, the label, both, or both swapped.
  std::vector<ZqHostFormatArg> args;
  const char kind = shape.empty() ? '2' : shape.front();
  if (kind == '1' || kind == '2') args.emplace_back(label);
  if (kind == '2' || kind == '3') args.emplace_back(count);
  if (kind == '3') args.emplace_back(label);

  const std::string filled = ZqFillHostFormat(format, args);
  const std::string expected = referenceFill(format, args);
  ZQ_FUZZ_CHECK(filled == expected,
                "format: " + format + "\nfilled: " + filled + "\nexpected: " + expected);

  const std::size_t limit = count % 64;
  const std::string cut = ZqTruncateCharacters(format, limit);
  if (characters(format) <= limit) {
    ZQ_FUZZ_CHECK(cut == format, cut);
  } else {
    ZQ_FUZZ_CHECK(cut.size() >= 3 && cut.ends_with("..."), cut);
    const std::string_view kept = std::string_view(cut).substr(0, cut.size() - 3);
    ZQ_FUZZ_CHECK(std::string_view(format).starts_with(kept), cut);
    ZQ_FUZZ_CHECK(characters(kept) == limit, cut);
    ZQ_FUZZ_CHECK(!isContinuation(format[kept.size()]), "a character was split: " + cut);
  }
  return 0;
}
