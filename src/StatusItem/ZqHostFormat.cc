#include "StatusItem/ZqHostFormat.h"

#include <array>
#include <charconv>
#include <optional>

namespace {

constexpr std::array<std::string_view, 8> kIntegerConversions = {"d",  "i",   "u",   "ld",
                                                                 "lu", "lld", "llu", "zu"};

// The conversion at the start of `rest` ("@" or an integer one), or nothing.
std::optional<std::string_view> conversionAt(std::string_view rest) {
  if (rest.starts_with("@")) return rest.substr(0, 1);
  std::optional<std::string_view> longest;
  for (auto conversion : kIntegerConversions) {
    if (rest.starts_with(conversion) && (!longest || conversion.size() > longest->size())) {
      longest = rest.substr(0, conversion.size());
    }
  }
  return longest;
}

bool appendArgument(const ZqHostFormatArg& arg, bool asObject, std::string& out) {
  if (const auto* number = std::get_if<std::uint64_t>(&arg)) {
    out += std::to_string(*number);
    return true;
  }
  if (!asObject) return false;  // a text is not a number
  out += std::get<std::string_view>(arg);
  return true;
}

}  // namespace

std::string ZqFillHostFormat(std::string_view format, std::span<const ZqHostFormatArg> args) {
  std::string out;
  out.reserve(format.size() + 16);
  std::size_t next = 0;  // the argument the next unnumbered conversion takes
  std::size_t i = 0;
  while (i < format.size()) {
    const std::size_t percent = format.find('%', i);
    if (percent == std::string_view::npos) {
      out.append(format.substr(i));
      break;
    }
    out.append(format.substr(i, percent - i));
    std::string_view rest = format.substr(percent + 1);
    if (rest.starts_with("%")) {
      out += '%';
      i = percent + 2;
      continue;
    }
    // An optional position: digits followed by "$".
    std::optional<std::size_t> position;
    std::size_t consumed = 0;
    std::size_t digits = 0;
    while (digits < rest.size() && rest[digits] >= '0' && rest[digits] <= '9') ++digits;
    if (digits > 0 && digits < rest.size() && rest[digits] == '$') {
      std::size_t value = 0;
      const auto parsed = std::from_chars(rest.data(), rest.data() + digits, value);
      if (parsed.ec == std::errc() && value >= 1) position = value - 1;
      consumed = digits + 1;
      if (!position) {  // %0$ or an absurd number: not a reference
        out += '%';
        i = percent + 1;
        continue;
      }
    }
    const auto conversion = conversionAt(rest.substr(consumed));
    if (!conversion) {
      out += '%';
      i = percent + 1;
      continue;
    }
    const std::size_t index = position.value_or(next);
    const std::size_t length = 1 + consumed + conversion->size();
    if (!position) ++next;  // pairs conversions with arguments as printf would
    if (index >= args.size() || !appendArgument(args[index], *conversion == "@", out)) {
      out.append(format.substr(percent, length));
    }
    i = percent + length;
  }
  return out;
}

namespace {

// Where the character after the first `limit` starts, or npos when there are no more.
std::size_t truncationPoint(std::string_view text, std::size_t limit) {
  std::size_t characters = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    // Each character starts at a byte that is not a continuation byte (10xxxxxx).
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
      if (characters == limit) return i;
      ++characters;
    }
  }
  return std::string_view::npos;
}

}  // namespace

std::string ZqTruncateCharacters(std::string_view text, std::size_t limit) {
  const std::size_t cut = truncationPoint(text, limit);
  if (cut == std::string_view::npos) return std::string(text);
  std::string result;
  result.reserve(cut + 3);
  result.append(text.substr(0, cut)).append("...");
  return result;
}

void ZqTruncateCharactersInPlace(std::string& text, std::size_t limit) {
  const std::size_t cut = truncationPoint(text, limit);
  if (cut == std::string_view::npos) return;
  text.resize(cut);
  text.append("...");
}
