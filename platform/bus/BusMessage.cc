#include "bus/BusMessage.h"

#include <cerrno>
#include <cstring>

namespace velquarin::platform {
namespace {

bool isBasic(char c) {
  return c != '\0' && std::strchr("ybnqiuxtdsog", c) != nullptr;
}

// One past the complete type that starts at `pos`; npos when there is none.
std::size_t completeTypeEnd(const std::string& s, std::size_t pos) {
  if (pos >= s.size()) return std::string::npos;
  const char c = s[pos];
  if (isBasic(c) || c == 'v') return pos + 1;
  if (c == 'a') {
    if (pos + 1 < s.size() && s[pos + 1] == '{') {
      if (pos + 2 >= s.size() || !isBasic(s[pos + 2])) return std::string::npos;
      const std::size_t end = completeTypeEnd(s, pos + 3);
      if (end == std::string::npos || end >= s.size() || s[end] != '}') return std::string::npos;
      return end + 1;
    }
    return completeTypeEnd(s, pos + 1);
  }
  if (c == '(') {
    std::size_t at = pos + 1;
    if (at < s.size() && s[at] == ')') return std::string::npos;
    while (at < s.size() && s[at] != ')') {
      at = completeTypeEnd(s, at);
      if (at == std::string::npos) return at;
    }
    return at < s.size() ? at + 1 : std::string::npos;
  }
  return std::string::npos;
}

std::string inferredSignature(const BusValue& value) {
  if (!value.variantSignature.empty()) return value.variantSignature;
  if (value.as<bool>()) return "b";
  if (value.as<std::int64_t>()) return "x";
  if (value.as<double>()) return "d";
  if (value.as<BusObjectPath>()) return "o";
  if (value.as<BusValue::Map>()) return "a{sv}";
  if (const auto* list = value.as<BusValue::List>()) {
    if (!list->empty() && list->front().as<BusValue::List>()) return "a(ss)";
    return "as";
  }
  return "s";
}

int appendBasic(sd_bus_message* m, char type, const BusValue& value) {
  const std::int64_t number = value.as<std::int64_t>() ? *value.as<std::int64_t>() : 0;
  switch (type) {
    case 'b': {
      const int flag = value.as<bool>() && *value.as<bool>();
      return sd_bus_message_append_basic(m, type, &flag);
    }
    case 'y': {
      const auto v = static_cast<std::uint8_t>(number);
      return sd_bus_message_append_basic(m, type, &v);
    }
    case 'n':
    case 'q': {
      const auto v = static_cast<std::int16_t>(number);
      return sd_bus_message_append_basic(m, type, &v);
    }
    case 'i':
    case 'u': {
      const auto v = static_cast<std::int32_t>(number);
      return sd_bus_message_append_basic(m, type, &v);
    }
    case 'x':
    case 't':
      return sd_bus_message_append_basic(m, type, &number);
    case 'd': {
      const double v = value.as<double>() ? *value.as<double>() : static_cast<double>(number);
      return sd_bus_message_append_basic(m, type, &v);
    }
    case 'o': {
      const std::string* text = value.as<std::string>();
      const std::string& path = value.as<BusObjectPath>() ? value.as<BusObjectPath>()->path
                                : text                    ? *text
                                                          : std::string("/");
      return sd_bus_message_append_basic(m, type, path.c_str());
    }
    default: {
      const std::string* text = value.as<std::string>();
      return sd_bus_message_append_basic(m, type, text ? text->c_str() : "");
    }
  }
}

int readBasic(sd_bus_message* m, char type, BusValue& out) {
  union {
    int flag;
    std::uint8_t byte;
    std::int16_t i16;
    std::uint16_t u16;
    std::int32_t i32;
    std::uint32_t u32;
    std::int64_t i64;
    std::uint64_t u64;
    double real;
    const char* text;
  } v{};
  const int r = sd_bus_message_read_basic(m, type, &v);
  if (r <= 0) return r < 0 ? r : -ENXIO;
  switch (type) {
    case 'b':
      out.data = v.flag != 0;
      break;
    case 'y':
      out.data = static_cast<std::int64_t>(v.byte);
      break;
    case 'n':
      out.data = static_cast<std::int64_t>(v.i16);
      break;
    case 'q':
      out.data = static_cast<std::int64_t>(v.u16);
      break;
    case 'i':
      out.data = static_cast<std::int64_t>(v.i32);
      break;
    case 'u':
      out.data = static_cast<std::int64_t>(v.u32);
      break;
    case 'x':
      out.data = v.i64;
      break;
    case 't':
      out.data = static_cast<std::int64_t>(v.u64);
      break;
    case 'd':
      out.data = v.real;
      break;
    case 'o':
      out.data = BusObjectPath{v.text ? v.text : ""};
      break;
    default:
      out.data = std::string(v.text ? v.text : "");
  }
  return 1;
}

}  // namespace

std::vector<std::string> splitBusSignature(const std::string& signature) {
  std::vector<std::string> types;
  std::size_t at = 0;
  while (at < signature.size()) {
    const std::size_t end = completeTypeEnd(signature, at);
    if (end == std::string::npos) return {};
    types.push_back(signature.substr(at, end - at));
    at = end;
  }
  return types;
}

int appendBusValue(sd_bus_message* m, const std::string& type, const BusValue& value) {
  if (type.empty()) return -EINVAL;
  const char c = type[0];
  if (isBasic(c)) return appendBasic(m, c, value);
  int r = 0;
  if (c == 'v') {
    const std::string inner = inferredSignature(value);
    if ((r = sd_bus_message_open_container(m, 'v', inner.c_str())) < 0) return r;
    if ((r = appendBusValue(m, inner, value)) < 0) return r;
    return sd_bus_message_close_container(m);
  }
  if (c == '(') {
    const std::string contents = type.substr(1, type.size() - 2);
    const auto fields = splitBusSignature(contents);
    const auto* list = value.as<BusValue::List>();
    if ((r = sd_bus_message_open_container(m, 'r', contents.c_str())) < 0) return r;
    for (std::size_t i = 0; i < fields.size(); ++i) {
      const BusValue field = list && i < list->size() ? (*list)[i] : BusValue();
      if ((r = appendBusValue(m, fields[i], field)) < 0) return r;
    }
    return sd_bus_message_close_container(m);
  }
  // An array, of dictionary entries or of single values.
  const std::string element = type.substr(1);
  if ((r = sd_bus_message_open_container(m, 'a', element.c_str())) < 0) return r;
  if (element[0] == '{') {
    const std::string entry = element.substr(1, element.size() - 2);
    const std::string valueType = entry.substr(1);
    if (const auto* map = value.as<BusValue::Map>()) {
      for (const auto& [key, item] : *map) {
        if ((r = sd_bus_message_open_container(m, 'e', entry.c_str())) < 0) return r;
        if ((r = appendBasic(m, entry[0], BusValue(key))) < 0) return r;
        if ((r = appendBusValue(m, valueType, item)) < 0) return r;
        if ((r = sd_bus_message_close_container(m)) < 0) return r;
      }
    }
  } else if (const auto* list = value.as<BusValue::List>()) {
    for (const auto& item : *list) {
      if ((r = appendBusValue(m, element, item)) < 0) return r;
    }
  }
  return sd_bus_message_close_container(m);
}

int readBusValue(sd_bus_message* m, const std::string& type, BusValue& out) {
  if (type.empty()) return -EINVAL;
  const char c = type[0];
  if (isBasic(c)) return readBasic(m, c, out);
  int r = 0;
  if (c == 'v') {
    char kind = 0;
    const char* contents = nullptr;
    if ((r = sd_bus_message_peek_type(m, &kind, &contents)) <= 0) return r < 0 ? r : -ENXIO;
    if (kind != 'v' || !contents) return -ENXIO;
    const std::string inner = contents;
    if ((r = sd_bus_message_enter_container(m, 'v', inner.c_str())) <= 0) return r < 0 ? r : -ENXIO;
    if ((r = readBusValue(m, inner, out)) < 0) return r;
    out.variantSignature = inner;
    return sd_bus_message_exit_container(m);
  }
  if (c == '(') {
    const std::string contents = type.substr(1, type.size() - 2);
    if ((r = sd_bus_message_enter_container(m, 'r', contents.c_str())) <= 0) {
      return r < 0 ? r : -ENXIO;
    }
    BusValue::List fields;
    for (const auto& field : splitBusSignature(contents)) {
      BusValue item;
      if ((r = readBusValue(m, field, item)) < 0) return r;
      fields.push_back(std::move(item));
    }
    out.data = std::move(fields);
    return sd_bus_message_exit_container(m);
  }
  const std::string element = type.substr(1);
  if ((r = sd_bus_message_enter_container(m, 'a', element.c_str())) <= 0) {
    return r < 0 ? r : -ENXIO;
  }
  if (element[0] == '{') {
    const std::string entry = element.substr(1, element.size() - 2);
    BusValue::Map map;
    while ((r = sd_bus_message_enter_container(m, 'e', entry.c_str())) > 0) {
      BusValue key;
      BusValue item;
      if ((r = readBasic(m, entry[0], key)) < 0) return r;
      if ((r = readBusValue(m, entry.substr(1), item)) < 0) return r;
      if ((r = sd_bus_message_exit_container(m)) < 0) return r;
      const std::string* text = key.as<std::string>();
      const std::int64_t* number = key.as<std::int64_t>();
      map[text ? *text : number ? std::to_string(*number) : std::string()] = std::move(item);
    }
    if (r < 0) return r;
    out.data = std::move(map);
  } else {
    BusValue::List list;
    while ((r = sd_bus_message_at_end(m, 0)) == 0) {
      BusValue item;
      if ((r = readBusValue(m, element, item)) < 0) return r;
      list.push_back(std::move(item));
    }
    if (r < 0) return r;
    out.data = std::move(list);
  }
  return sd_bus_message_exit_container(m);
}

int appendBusValues(sd_bus_message* m, const std::string& signature,
                    const std::vector<BusValue>& values) {
  const auto types = splitBusSignature(signature);
  for (std::size_t i = 0; i < types.size(); ++i) {
    const int r = appendBusValue(m, types[i], i < values.size() ? values[i] : BusValue());
    if (r < 0) return r;
  }
  return 0;
}

int readBusValues(sd_bus_message* m, const std::string& signature, std::vector<BusValue>& values) {
  for (const auto& type : splitBusSignature(signature)) {
    BusValue value;
    const int r = readBusValue(m, type, value);
    if (r < 0) return r;
    values.push_back(std::move(value));
  }
  return 0;
}

}  // namespace velquarin::platform
