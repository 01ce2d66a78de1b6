#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// String, path and file helpers shared by several subsystems, and the image type tables.

// Text encodings by their platform numbers.
enum class ZqStringEncoding : unsigned long {
  ASCII = 1,
  UTF8 = 4,
  ISOLatin1 = 5,
  WindowsCP1252 = 12,
  UTF16 = 10,  // byte-order mark decides; big-endian without one
  UTF16BigEndian = 0x90000100,
  UTF16LittleEndian = 0x94000100,
};

// The text (UTF-8) the bytes spell in `encoding`; nullopt when they are not valid in it.
std::optional<std::string> zq_stringWithData(std::span<const std::uint8_t> bytes,
                                             ZqStringEncoding encoding);

// False when the prefix is longer than the text; else whether the text begins with it exactly.
bool zq_startsWith(std::string_view text, std::string_view prefix);
bool zq_endsWith(std::string_view text, std::string_view suffix);

// Whether a directory is at the path (following symbolic links); false when nothing is there.
bool zq_isDirectoryPath(const std::string& path);
// Whether the path's extension, lower-cased, is "zip".
bool zq_isZipPath(const std::string& path);

// The text percent-escaped (UTF-8, upper-case hex) so that it can stand as one query value:
// only ASCII letters, digits and - . _ stay as they are.
std::string zq_escapeForURL(std::string_view text);

// `path` when nothing is there (a dangling symbolic link counts as something); else the first
// free "name-N.extension" in the same folder for N from 1 to 10000; nullopt when all are taken.
std::optional<std::string> zq_makeUniquePath(const std::string& path);

// The image type tables. Numbers are the bitmap file types (TIFF 0, BMP 1, GIF 2, JPEG 3,
// PNG 4, JPEG 2000 5).
std::string zq_pathExtensionByImageFileType(unsigned long fileType);
unsigned long zq_imageFileTypeByPathExtension(const std::string& path);
// Whether the file's type is one a web page shows: JPEG, JPEG 2000, TIFF, PNG or GIF.
bool zq_isWebImagePath(const std::string& path);
