#pragma once

// What the model, the store reader and the store writer share: libxml2 and GLib handles,
// the reader's options and the spelling rules of the store file.

#include <glib.h>
#include <unistd.h>

#include <cctype>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "objectgraph/ObjectGraph.h"
#include "xml/XMLLibrary.h"

namespace velquarin::platform::objectgraph::detail {

struct ReaderDeleter {
  void operator()(xmlTextReaderPtr reader) const { xml().xmlFreeTextReader(reader); }
};
using ReaderPtr = std::unique_ptr<xmlTextReader, ReaderDeleter>;
struct XmlCharDeleter {
  void operator()(xmlChar* text) const { xml().freeMemory(text); }
};
using XmlText = std::unique_ptr<xmlChar, XmlCharDeleter>;
struct BufferDeleter {
  void operator()(xmlBufferPtr buffer) const { xml().xmlBufferFree(buffer); }
};
struct WriterDeleter {
  void operator()(xmlTextWriterPtr writer) const { xml().xmlFreeTextWriter(writer); }
};
struct GFreeDeleter {
  void operator()(void* memory) const { g_free(memory); }
};
struct FdCloser {
  int fd;
  ~FdCloser() {
    if (fd >= 0) close(fd);
  }
};

// Network and entity handling stay at their safe defaults: no NOENT, DTDLOAD, DTDATTR or HUGE.
inline constexpr int kReaderOptions = XML_PARSE_NONET | XML_PARSE_NOCDATA;

inline void initLibxml() {
  static std::once_flag once;
  std::call_once(once, [] {
    if (XMLLibrary::get()) xml().xmlInitParser();
  });
}

inline std::string lower(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return result;
}

inline std::string upper(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return result;
}

inline std::string_view trim(std::string_view text) {
  const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
  while (!text.empty() && space(text.front())) text.remove_prefix(1);
  while (!text.empty() && space(text.back())) text.remove_suffix(1);
  return text;
}

inline bool kindAccepts(ValueKind kind, AttributeType type) {
  switch (kind) {
    case ValueKind::String:
      return type == AttributeType::String;
    case ValueKind::Date:
      return type == AttributeType::Date;
    case ValueKind::Data:
      return type == AttributeType::Binary;
    case ValueKind::Number:
      return type != AttributeType::String && type != AttributeType::Date &&
             type != AttributeType::Binary;
  }
  return false;
}

inline std::optional<Data> decodeBase64(std::string_view text) {
  std::string compact;
  compact.reserve(text.size());
  for (char c : text) {
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r') continue;
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '/' && c != '=') {
      return std::nullopt;
    }
    compact.push_back(c);
  }
  if (compact.size() % 4 != 0) return std::nullopt;
  gsize length = 0;
  std::unique_ptr<guchar, GFreeDeleter> bytes(g_base64_decode(compact.c_str(), &length));
  if (!bytes && !compact.empty()) return std::nullopt;
  return Data(bytes.get(), bytes.get() + length);
}

}  // namespace velquarin::platform::objectgraph::detail
