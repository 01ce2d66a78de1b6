#include "pasteboard/PasteboardTypes.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>

namespace velquarin::platform {
namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 4> kAliases{{
    {"NSStringPboardType", kPasteboardTypeString},
    {"Apple HTML pasteboard type", kPasteboardTypeHTML},
    {"Apple URL pasteboard type", kPasteboardTypeURL},
    {"NSPasteboardTypeString", kPasteboardTypeString},
}};

constexpr std::array<std::string_view, 5> kTextTargets{"UTF8_STRING", "text/plain;charset=utf-8",
                                                       "text/plain", "STRING", "TEXT"};

// Targets that describe the selection rather than hold its contents.
constexpr std::array<std::string_view, 8> kMetaTargets{
    "TARGETS", "TIMESTAMP", "MULTIPLE",         "SAVE_TARGETS",
    "DELETE",  "INCR",      "INSERT_SELECTION", "INSERT_PROPERTY"};

struct TypeTargets {
  std::string_view type;
  std::string_view target;
};

// Image types and their MIME targets; the first row of a target is the type it reads as.
constexpr std::array<TypeTargets, 8> kDataTargets{{
    {kPasteboardTypeHTML, "text/html"},
    {kPasteboardTypePNG, "image/png"},
    {kPasteboardTypeJPEG, "image/jpeg"},
    {"public.jpg", "image/jpeg"},
    {kPasteboardTypeGIF, "image/gif"},
    {"public.gif", "image/gif"},
    {kPasteboardTypeTIFF, "image/tiff"},
    {"public.webp", "image/webp"},
}};

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  return std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) ==
           std::tolower(static_cast<unsigned char>(b));
  });
}

std::vector<std::string_view> splitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    auto end = text.find('\n');
    auto line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

}  // namespace

std::string canonicalPasteboardType(std::string_view type) {
  for (const auto& [alias, identifier] : kAliases) {
    if (type == alias) return std::string(identifier);
  }
  return std::string(type);
}

bool pasteboardTypesEqual(std::string_view a, std::string_view b) {
  return canonicalPasteboardType(a) == canonicalPasteboardType(b);
}

bool isDecodableImageType(std::string_view type) {
  static constexpr std::array<std::string_view, 7> kImages{
      kPasteboardTypePNG, kPasteboardTypeJPEG, "public.jpg", kPasteboardTypeGIF,
      "public.gif",       kPasteboardTypeTIFF, "public.webp"};
  const auto canonical = canonicalPasteboardType(type);
  return std::find(kImages.begin(), kImages.end(), canonical) != kImages.end();
}

std::vector<std::string> clipboardTargetsForType(std::string_view type) {
  const auto canonical = canonicalPasteboardType(type);
  if (canonical == kPasteboardTypeString) return {kTextTargets.begin(), kTextTargets.end()};
  if (canonical == kPasteboardTypeFileURL) return {"text/uri-list", "x-special/gnome-copied-files"};
  for (const auto& row : kDataTargets) {
    if (row.type == canonical) return {std::string(row.target)};
  }
  return {canonical};
}

std::optional<std::string> pasteboardTypeForTarget(std::string_view target) {
  if (std::find(kMetaTargets.begin(), kMetaTargets.end(), target) != kMetaTargets.end()) {
    return std::nullopt;
  }
  if (std::find(kTextTargets.begin(), kTextTargets.end(), target) != kTextTargets.end() ||
      startsWithNoCase(target, "text/plain;charset=utf-8")) {
    return std::string(kPasteboardTypeString);
  }
  if (isFileListTarget(target)) return std::string(kPasteboardTypeFileURL);
  for (const auto& row : kDataTargets) {
    if (row.target == target) return std::string(row.type);
  }
  return canonicalPasteboardType(target);
}

bool isFileListTarget(std::string_view target) {
  return target == "text/uri-list" || target == "x-special/gnome-copied-files";
}

std::string utf8ToLatin1(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    if (lead < 0x80) {
      out.push_back(static_cast<char>(lead));
      ++i;
      continue;
    }
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    if (length == 2 && i + 1 < utf8.size()) {
      const unsigned code =
          ((lead & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3Fu);
      out.push_back(code <= 0xFF ? static_cast<char>(code) : '?');
    } else {
      out.push_back('?');
    }
    i += length;
  }
  return out;
}

std::string latin1ToUtf8(std::string_view latin1) {
  std::string out;
  out.reserve(latin1.size() * 2);
  for (char c : latin1) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      out.push_back(c);
    } else {
      out.push_back(static_cast<char>(0xC0 | (byte >> 6)));
      out.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
    }
  }
  return out;
}

bool isValidUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length;
    unsigned code;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if ((lead & 0xE0) == 0xC0) {
      length = 2, code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3, code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4, code = lead & 0x07;
    } else {
      return false;
    }
    if (i + length > text.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    static constexpr unsigned kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kMinimum[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
      return false;
    }
    i += length;
  }
  return true;
}

std::vector<std::string> fileURLsFromURIList(std::string_view text) {
  std::vector<std::string> urls;
  for (auto line : splitLines(text)) {
    if (line.empty() || line.front() == '#') continue;
    if (pathFromFileURL(line)) urls.emplace_back(line);
  }
  return urls;
}

std::vector<std::string> fileURLsFromCopiedFiles(std::string_view text) {
  auto lines = splitLines(text);
  if (lines.empty()) return {};
  std::vector<std::string> urls;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    if (pathFromFileURL(lines[i])) urls.emplace_back(lines[i]);
  }
  return urls;
}

std::string uriListFromURLs(const std::vector<std::string>& urls) {
  std::string out;
  for (const auto& url : urls) out += url + "\r\n";
  return out;
}

std::string copiedFilesFromURLs(const std::vector<std::string>& urls) {
  std::string out = "copy";
  for (const auto& url : urls) out += "\n" + url;
  return out;
}

std::optional<std::string> pathFromFileURL(std::string_view url) {
  if (!startsWithNoCase(url, "file:")) return std::nullopt;
  std::string_view rest = url.substr(5);
  if (rest.starts_with("//")) {
    rest.remove_prefix(2);
    const auto slash = rest.find('/');
    if (slash == std::string_view::npos) return std::nullopt;
    const auto host = rest.substr(0, slash);
    if (!host.empty() && !startsWithNoCase(host, "localhost")) return std::nullopt;
    if (host.size() != 0 && host.size() != 9) return std::nullopt;
    rest.remove_prefix(slash);
  }
  if (!rest.starts_with('/')) return std::nullopt;
  const auto end = rest.find_first_of("?#");
  rest = rest.substr(0, end);
  std::string path;
  for (std::size_t i = 0; i < rest.size(); ++i) {
    if (rest[i] == '%' && i + 2 < rest.size() && hexValue(rest[i + 1]) >= 0 &&
        hexValue(rest[i + 2]) >= 0) {
      path.push_back(static_cast<char>(hexValue(rest[i + 1]) * 16 + hexValue(rest[i + 2])));
      i += 2;
    } else {
      path.push_back(rest[i]);
    }
  }
  if (path.find('\0') != std::string::npos) return std::nullopt;
  return path;
}

std::string fileURLFromPath(std::string_view path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string url = "file://";
  for (char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (std::isalnum(byte) ||
        std::string_view("/-._~!$&'()*+,;=:@").find(c) != std::string_view::npos) {
      url.push_back(c);
    } else {
      url.push_back('%');
      url.push_back(kHex[byte >> 4]);
      url.push_back(kHex[byte & 0xF]);
    }
  }
  return url;
}

}  // namespace velquarin::platform
