#include "Extensions/NSString+ZqExtensions.h"

#include <glib.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <memory>

#include "Utilities/ZqLog.h"
#include "filetypes/TypeIdentifiers.h"

namespace fs = std::filesystem;

namespace {

std::optional<std::string> convertWithGLib(std::span<const std::uint8_t> bytes,
                                           const char* encoding) {
  gsize written = 0;
  GError* error = nullptr;
  std::unique_ptr<gchar, decltype(&g_free)> text(
      g_convert(reinterpret_cast<const gchar*>(bytes.data()), static_cast<gssize>(bytes.size()),
                "UTF-8", encoding, nullptr, &written, &error),
      g_free);
  if (error) g_error_free(error);
  if (!text) return std::nullopt;
  return std::string(text.get(), written);
}

std::string lowercased(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

// The extension without its dot; a leading dot alone (".profile") is no extension.
std::string extensionOf(const std::string& path) {
  std::string extension = fs::path(path).extension().string();
  return extension.empty() ? extension : extension.substr(1);
}

bool somethingAt(const std::string& path) {
  struct stat status;
  return ::lstat(path.c_str(), &status) == 0;
}

}  // namespace

std::optional<std::string> zq_stringWithData(std::span<const std::uint8_t> bytes,
                                             ZqStringEncoding encoding) {
  if (bytes.empty()) return std::string();
  switch (encoding) {
    case ZqStringEncoding::ASCII:
      if (std::any_of(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b >= 0x80; })) {
        return std::nullopt;
      }
      return std::string(bytes.begin(), bytes.end());
    case ZqStringEncoding::UTF8:
      return convertWithGLib(bytes, "UTF-8");
    case ZqStringEncoding::ISOLatin1:
      return convertWithGLib(bytes, "ISO-8859-1");
    case ZqStringEncoding::WindowsCP1252:
      return convertWithGLib(bytes, "WINDOWS-1252");
    case ZqStringEncoding::UTF16BigEndian:
      return convertWithGLib(bytes, "UTF-16BE");
    case ZqStringEncoding::UTF16LittleEndian:
      return convertWithGLib(bytes, "UTF-16LE");
    case ZqStringEncoding::UTF16:
      if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        return convertWithGLib(bytes.subspan(2), "UTF-16LE");
      }
      if (bytes.size() >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) bytes = bytes.subspan(2);
      return convertWithGLib(bytes, "UTF-16BE");
  }
  return std::nullopt;
}

bool zq_startsWith(std::string_view text, std::string_view prefix) {
  return prefix.size() <= text.size() && text.substr(0, prefix.size()) == prefix;
}

bool zq_endsWith(std::string_view text, std::string_view suffix) {
  return suffix.size() <= text.size() && text.substr(text.size() - suffix.size()) == suffix;
}

bool zq_isDirectoryPath(const std::string& path) {
  std::error_code error;
  return !path.empty() && fs::is_directory(path, error);
}

bool zq_isZipPath(const std::string& path) {
  return lowercased(extensionOf(path)) == "zip";
}

std::string zq_escapeForURL(std::string_view text) {
  // Escaping every byte but these covers the separators a URL knows (+ & @ ; = $ : ? ~ / and
  // the rest), so the result is always one query value.
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string escaped;
  escaped.reserve(text.size() * 3);
  for (const unsigned char c : text) {
    if (std::isalnum(c) || c == '-' || c == '.' || c == '_') {
      escaped.push_back(static_cast<char>(c));
    } else {
      escaped.push_back('%');
      escaped.push_back(kHex[c >> 4]);
      escaped.push_back(kHex[c & 0xF]);
    }
  }
  return escaped;
}

std::optional<std::string> zq_makeUniquePath(const std::string& original) {
  if (!somethingAt(original)) return original;
  std::string path = original;
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  const std::string extension = extensionOf(path);
  const std::string base =
      extension.empty() ? path : path.substr(0, path.size() - extension.size() - 1);
  for (int counter = 1; counter <= 10000; ++counter) {
    std::string candidate = base + "-" + std::to_string(counter);
    if (!extension.empty()) candidate += "." + extension;
    if (!somethingAt(candidate)) return candidate;
  }
  return std::nullopt;
}

std::string zq_pathExtensionByImageFileType(unsigned long fileType) {
  static constexpr std::array<const char*, 6> kExtensions{"tiff", "bmp", "gif",
                                                          "jpg",  "png", "jpx"};
  if (fileType < kExtensions.size()) return kExtensions[fileType];
  ZQ_LOG_WARN("Unknown file type '%lu' for '%@'.", fileType, "NSString");
  return "unknown";
}

unsigned long zq_imageFileTypeByPathExtension(const std::string& path) {
  const std::string extension = lowercased(extensionOf(path));
  if (extension == "tiff") return 0;
  if (extension == "gif") return 2;
  if (extension == "jpg" || extension == "jpeg") return 3;
  if (extension == "png") return 4;
  ZQ_LOG_WARN("Unknown image file extension '%@'. Use JPEG instead.", extension);
  return 3;
}

bool zq_isWebImagePath(const std::string& path) {
  const auto type = velquarin::platform::typeIdentifierOfFile(path);
  if (!type) return false;
  for (const char* web :
       {"public.jpeg", "public.jpeg-2000", "public.tiff", "public.png", "com.compuserve.gif"}) {
    if (velquarin::platform::typeConformsTo(*type, web)) return true;
  }
  return false;
}
