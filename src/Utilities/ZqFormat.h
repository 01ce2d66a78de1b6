#pragma once

#include <concepts>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

// printf-style formatting with the object conversion %@, for log lines written as the
// system's own texts ("Couldn't convert %@ to JSON because of %@"). Arguments carry their
// types, so a conversion never reads memory it was not given; the format must be a literal.

class ZqFormatArg {
 public:
  ZqFormatArg(std::nullptr_t) {}
  ZqFormatArg(const char* text) {
    if (text) value_ = std::string_view(text);
  }
  ZqFormatArg(std::string_view text) : value_(text) {}
  ZqFormatArg(const std::string& text) : value_(std::string_view(text)) {}
  ZqFormatArg(bool flag) : value_(flag) {}
  template <std::signed_integral T>
  ZqFormatArg(T number) : value_(static_cast<long long>(number)) {}
  template <std::unsigned_integral T>
  ZqFormatArg(T number) : value_(static_cast<unsigned long long>(number)) {}
  template <std::floating_point T>
  ZqFormatArg(T number) : value_(static_cast<double>(number)) {}
  ZqFormatArg(const nlohmann::json& json) : value_(&json) {}
  template <typename T>
  ZqFormatArg(const std::optional<T>& value) {
    if (value) *this = ZqFormatArg(*value);
  }

  // The %@ form: text as it is, numbers in decimal, booleans as 1 or 0, JSON compact,
  // a missing value as "(null)".
  std::string describe() const;
  std::optional<long long> asSigned() const;
  std::optional<unsigned long long> asUnsigned() const;
  std::optional<double> asDouble() const;
  // Appends the argument for a conversion without flags, width or precision when that is
  // plain text or a decimal number; false leaves the general road to the caller.
  bool appendPlain(char conversion, std::string& out) const;

 private:
  std::variant<std::monostate, std::string_view, bool, long long, unsigned long long, double,
               const nlohmann::json*>
      value_;
};

// A format that is known at compile time; host text can never become a format.
struct ZqFormatString {
  template <std::size_t N>
  consteval ZqFormatString(const char (&literal)[N]) : text(literal) {}
  const char* text;
};

std::string ZqFormatArgs(const char* format, std::span<const ZqFormatArg> args);

template <typename... Args>
std::string ZqFormat(ZqFormatString format, const Args&... args) {
  if constexpr (sizeof...(Args) == 0) {
    return ZqFormatArgs(format.text, {});
  } else {
    const ZqFormatArg list[] = {ZqFormatArg(args)...};
    return ZqFormatArgs(format.text, list);
  }
}
