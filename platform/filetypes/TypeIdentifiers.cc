#include "filetypes/TypeIdentifiers.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <string_view>

namespace velquarin::platform {

namespace {

// Extensions (lower case) of the declared types.
const std::map<std::string_view, std::string_view>& typesByExtension() {
  static const std::map<std::string_view, std::string_view> table{
      {"jpg", "public.jpeg"},           {"jpeg", "public.jpeg"},     {"jpe", "public.jpeg"},
      {"jp2", "public.jpeg-2000"},      {"jpx", "public.jpeg-2000"}, {"jpf", "public.jpeg-2000"},
      {"j2k", "public.jpeg-2000"},      {"j2c", "public.jpeg-2000"}, {"tif", "public.tiff"},
      {"tiff", "public.tiff"},          {"png", "public.png"},       {"gif", "com.compuserve.gif"},
      {"bmp", "com.microsoft.bmp"},     {"heic", "public.heic"},     {"heif", "public.heif"},
      {"webp", "org.webmproject.webp"}, {"pdf", "com.adobe.pdf"},    {"zip", "public.zip-archive"},
      {"txt", "public.plain-text"},     {"html", "public.html"},     {"htm", "public.html"},
  };
  return table;
}

// Each type's parent; the tree ends at public.item.
const std::map<std::string_view, std::string_view>& parents() {
  static const std::map<std::string_view, std::string_view> table{
      {"public.jpeg", "public.image"},          {"public.jpeg-2000", "public.image"},
      {"public.tiff", "public.image"},          {"public.png", "public.image"},
      {"com.compuserve.gif", "public.image"},   {"com.microsoft.bmp", "public.image"},
      {"public.heic", "public.heif"},           {"public.heif", "public.image"},
      {"org.webmproject.webp", "public.image"}, {"public.image", "public.data"},
      {"com.adobe.pdf", "public.data"},         {"public.zip-archive", "public.archive"},
      {"public.archive", "public.data"},        {"public.plain-text", "public.text"},
      {"public.html", "public.text"},           {"public.text", "public.data"},
      {"public.data", "public.item"},           {"public.folder", "public.directory"},
      {"public.directory", "public.item"},      {"public.symlink", "public.item"},
  };
  return table;
}

}  // namespace

std::optional<std::string> typeIdentifierOfFile(const std::string& path) {
  namespace fs = std::filesystem;
  if (path.empty()) return std::nullopt;
  std::error_code error;
  const fs::file_status status = fs::symlink_status(path, error);
  if (error || !fs::exists(status)) return std::nullopt;
  if (fs::is_symlink(status)) return "public.symlink";
  if (fs::is_directory(status)) return "public.folder";
  std::string extension = fs::path(path).extension().string();
  if (!extension.empty()) extension.erase(0, 1);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  const auto& table = typesByExtension();
  const auto found = table.find(extension);
  return std::string(found == table.end() ? "public.data" : found->second);
}

bool typeConformsTo(const std::string& type, const std::string& parent) {
  std::string_view current = type;
  for (int depth = 0; depth < 16; ++depth) {
    if (current == parent) return true;
    const auto found = parents().find(current);
    if (found == parents().end()) return false;
    current = found->second;
  }
  return false;
}

}  // namespace velquarin::platform
