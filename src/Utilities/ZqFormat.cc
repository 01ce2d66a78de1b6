#include "Utilities/ZqFormat.h"

#include <algorithm>
#include <charconv>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

template <class... Ts>
struct Overloaded : Ts... {
  using Ts::operator()...;
};
// Spelled out for compilers without deduction for aggregates (clang before 17).
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

// Widths and precisions from a format are capped so a log line stays a log line.
constexpr int kMaxWidth = 512;

struct Directive {
  std::string_view flags;  // within the format text
  int width = -1;
  int precision = -1;
  char conversion = 0;
  int position = 0;  // 1-based argument index of %n$, 0 for the next argument
};

int readNumber(const char*& p) {
  int value = 0;
  while (*p >= '0' && *p <= '9') {
    value = std::min(value * 10 + (*p - '0'), 100000);
    ++p;
  }
  return value;
}

std::string pad(std::string text, const Directive& directive) {
  const int width = std::min(directive.width, kMaxWidth);
  if (width > 0 && static_cast<int>(text.size()) < width) {
    const bool left = directive.flags.find('-') != std::string_view::npos;
    const std::string fill(width - text.size(), ' ');
    text = left ? text + fill : fill + text;
  }
  return text;
}

std::string numeric(const Directive& directive, const ZqFormatArg& arg) {
  std::string format = "%" + std::string(directive.flags);
  if (directive.width >= 0) format += std::to_string(std::min(directive.width, kMaxWidth));
  if (directive.precision >= 0)
    format += "." + std::to_string(std::min(directive.precision, kMaxWidth));
  char buffer[1100];
  switch (directive.conversion) {
    case 'd':
    case 'i': {
      format += "lld";
      auto value = arg.asSigned();
      if (!value) return pad(arg.describe(), directive);
      std::snprintf(buffer, sizeof buffer, format.c_str(), *value);
      return buffer;
    }
    case 'u':
    case 'x':
    case 'X':
    case 'o': {
      format += "ll";
      format += directive.conversion;
      auto value = arg.asUnsigned();
      if (!value) return pad(arg.describe(), directive);
      std::snprintf(buffer, sizeof buffer, format.c_str(), *value);
      return buffer;
    }
    default: {
      format += directive.conversion;
      auto value = arg.asDouble();
      if (!value) return pad(arg.describe(), directive);
      std::snprintf(buffer, sizeof buffer, format.c_str(), *value);
      return buffer;
    }
  }
}

std::string render(const Directive& directive, const ZqFormatArg& arg) {
  switch (directive.conversion) {
    case '@':
    case 's': {
      std::string text = arg.describe();
      if (directive.precision >= 0 && static_cast<std::size_t>(directive.precision) < text.size()) {
        text.resize(directive.precision);
      }
      return pad(std::move(text), directive);
    }
    case 'c': {
      auto value = arg.asUnsigned();
      return pad(value ? std::string(1, static_cast<char>(*value & 0xff)) : arg.describe(),
                 directive);
    }
    case 'p': {
      auto value = arg.asUnsigned();
      char buffer[32];
      std::snprintf(buffer, sizeof buffer, "0x%llx", value.value_or(0));
      return pad(buffer, directive);
    }
    default:
      return numeric(directive, arg);
  }
}

bool isConversion(char c) {
  return c != 0 && std::strchr("@diuxXofFeEgGaAscp", c) != nullptr;
}

// Parses the conversion after '%'; returns false (leaving the text as it is) when the
// sequence is not one the formatter knows.
bool parseDirective(const char*& p, Directive& directive) {
  const char* start = p;
  if (*p >= '1' && *p <= '9') {
    const char* q = p;
    int position = readNumber(q);
    if (*q == '$') {
      directive.position = position;
      p = q + 1;
    }
  }
  const char* flags = p;
  while (*p && std::strchr("-+ #0", *p)) ++p;
  directive.flags = std::string_view(flags, static_cast<std::size_t>(p - flags));
  if (*p >= '0' && *p <= '9') directive.width = readNumber(p);
  if (*p == '.') {
    ++p;
    directive.precision = readNumber(p);
  }
  while (*p && std::strchr("hlqLzjt", *p)) ++p;  // length modifiers: types come with the args
  if (!isConversion(*p)) {
    p = start;
    return false;
  }
  directive.conversion = *p++;
  return true;
}

}  // namespace

std::string ZqFormatArg::describe() const {
  return std::visit(Overloaded{
                        [](std::monostate) -> std::string { return "(null)"; },
                        [](std::string_view text) { return std::string(text); },
                        [](bool flag) -> std::string { return flag ? "1" : "0"; },
                        [](long long number) { return std::to_string(number); },
                        [](unsigned long long number) { return std::to_string(number); },
                        [](double number) {
                          char buffer[64];
                          std::snprintf(buffer, sizeof buffer, "%.17g", number);
                          return std::string(buffer);
                        },
                        [](const nlohmann::json* json) -> std::string {
                          if (json->is_string()) return json->get<std::string>();
                          if (json->is_null()) return "(null)";
                          return json->dump(-1, ' ', false,
                                            nlohmann::json::error_handler_t::replace);
                        },
                    },
                    value_);
}

std::optional<long long> ZqFormatArg::asSigned() const {
  if (auto* v = std::get_if<long long>(&value_)) return *v;
  if (auto* v = std::get_if<unsigned long long>(&value_)) return static_cast<long long>(*v);
  if (auto* v = std::get_if<bool>(&value_)) return *v ? 1 : 0;
  if (auto* v = std::get_if<double>(&value_)) {
    if (std::isfinite(*v) && std::fabs(*v) < 9.2e18) return static_cast<long long>(*v);
  }
  if (auto* v = std::get_if<const nlohmann::json*>(&value_)) {
    if ((*v)->is_number_integer()) return (*v)->get<long long>();
  }
  return std::nullopt;
}

std::optional<unsigned long long> ZqFormatArg::asUnsigned() const {
  if (auto v = asSigned()) return static_cast<unsigned long long>(*v);
  if (auto* v = std::get_if<unsigned long long>(&value_)) return *v;
  return std::nullopt;
}

std::optional<double> ZqFormatArg::asDouble() const {
  if (auto* v = std::get_if<double>(&value_)) return *v;
  if (auto* v = std::get_if<long long>(&value_)) return static_cast<double>(*v);
  if (auto* v = std::get_if<unsigned long long>(&value_)) return static_cast<double>(*v);
  if (auto* v = std::get_if<bool>(&value_)) return *v ? 1.0 : 0.0;
  if (auto* v = std::get_if<const nlohmann::json*>(&value_)) {
    if ((*v)->is_number()) return (*v)->get<double>();
  }
  return std::nullopt;
}

std::string ZqFormatArgs(const char* format, std::span<const ZqFormatArg> args) {
  std::string out;
  out.reserve(std::strlen(format) + 16 * args.size());
  std::size_t next = 0;
  static const ZqFormatArg missing(nullptr);
  auto take = [&](int position) -> const ZqFormatArg& {
    const std::size_t index = position > 0 ? static_cast<std::size_t>(position - 1) : next++;
    return index < args.size() ? args[index] : missing;
  };
  for (const char* p = format; *p;) {
    // Log lines are mostly literal text: copy each run at once.
    const char* percent = std::strchr(p, '%');
    if (!percent) {
      out.append(p);
      break;
    }
    out.append(p, percent);
    p = percent + 1;
    if (*p == '%') {
      out += '%';
      ++p;
      continue;
    }
    Directive directive;
    if (!parseDirective(p, directive)) {
      out += '%';
      continue;
    }
    const ZqFormatArg& arg = take(directive.position);
    // The common plain forms without a temporary string.
    if (directive.flags.empty() && directive.width < 0 && directive.precision < 0 &&
        arg.appendPlain(directive.conversion, out)) {
      continue;
    }
    out += render(directive, arg);
  }
  return out;
}

bool ZqFormatArg::appendPlain(char conversion, std::string& out) const {
  char digits[24];
  auto appendNumber = [&](auto value) {
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, result.ptr);
    return true;
  };
  switch (conversion) {
    case '@':
    case 's':
      if (auto* text = std::get_if<std::string_view>(&value_)) {
        out.append(*text);
        return true;
      }
      if (auto* number = std::get_if<long long>(&value_)) return appendNumber(*number);
      if (auto* number = std::get_if<unsigned long long>(&value_)) return appendNumber(*number);
      return false;
    case 'd':
    case 'i':
      if (auto* number = std::get_if<long long>(&value_)) return appendNumber(*number);
      if (auto* number = std::get_if<unsigned long long>(&value_)) {
        return appendNumber(static_cast<long long>(*number));
      }
      return false;
    case 'u':
      if (auto* number = std::get_if<unsigned long long>(&value_)) return appendNumber(*number);
      if (auto* number = std::get_if<long long>(&value_)) {
        return appendNumber(static_cast<unsigned long long>(*number));
      }
      return false;
    default:
      return false;
  }
}
