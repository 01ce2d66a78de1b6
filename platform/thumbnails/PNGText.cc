#include "thumbnails/PNGText.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "runtime/SideLibrary.h"

namespace velquarin::platform {

namespace {

constexpr std::array<std::uint8_t, 8> kSignature{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::size_t kHeaderEnd = 8 + 4 + 4 + 13 + 4;  // signature and the IHDR chunk

std::uint32_t readBigEndian(const std::uint8_t* bytes) {
  return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
         (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]};
}

void appendBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back((value >> shift) & 0xFF);
}

bool startsLikePNG(std::span<const std::uint8_t> png) {
  return png.size() >= kHeaderEnd &&
         std::equal(kSignature.begin(), kSignature.end(), png.begin()) &&
         std::memcmp(png.data() + 12, "IHDR", 4) == 0 && readBigEndian(png.data() + 8) == 13;
}

// zlib's CRC-32, from zlib opened the first time a chunk is written: start-up has no use for
// it. Null (logged once) when zlib cannot be opened.
decltype(&::crc32) zlibCrc32() {
  static const SideLibrary zlib(SideLibrary::OfTheSystem{}, "libz.so.1", "crc32",
                                "zlib is unavailable");
  return zlib.function<decltype(&::crc32)>();
}

bool validKeyword(const std::string& keyword) {
  if (keyword.empty() || keyword.size() > 79) return false;
  return std::all_of(keyword.begin(), keyword.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 32 && byte <= 126) || byte >= 161;
  });
}

}  // namespace

std::map<std::string, std::string> pngTextChunks(std::span<const std::uint8_t> png) {
  std::map<std::string, std::string> text;
  if (!startsLikePNG(png)) return text;
  std::size_t at = 8;
  while (png.size() - at >= 12) {
    const std::uint32_t length = readBigEndian(png.data() + at);
    if (length > png.size() - at - 12) break;
    const char* type = reinterpret_cast<const char*>(png.data() + at + 4);
    if (std::memcmp(type, "IDAT", 4) == 0 || std::memcmp(type, "IEND", 4) == 0) break;
    if (std::memcmp(type, "tEXt", 4) == 0) {
      const std::string body(reinterpret_cast<const char*>(png.data() + at + 8), length);
      const auto nul = body.find('\0');
      if (nul != std::string::npos) text.emplace(body.substr(0, nul), body.substr(nul + 1));
    }
    at += 12 + std::size_t{length};
  }
  return text;
}

std::vector<std::uint8_t> withPNGTextChunks(std::span<const std::uint8_t> png,
                                            const std::map<std::string, std::string>& text) {
  const auto crc32 = zlibCrc32();
  if (!crc32 || !startsLikePNG(png)) return {};
  std::vector<std::uint8_t> out(png.begin(), png.begin() + kHeaderEnd);
  for (const auto& [keyword, value] : text) {
    if (!validKeyword(keyword)) return {};
    std::vector<std::uint8_t> chunk{'t', 'E', 'X', 't'};
    chunk.insert(chunk.end(), keyword.begin(), keyword.end());
    chunk.push_back(0);
    chunk.insert(chunk.end(), value.begin(), value.end());
    appendBigEndian(out, static_cast<std::uint32_t>(chunk.size() - 4));
    out.insert(out.end(), chunk.begin(), chunk.end());
    appendBigEndian(
        out, static_cast<std::uint32_t>(crc32(0, chunk.data(), static_cast<uInt>(chunk.size()))));
  }
  out.insert(out.end(), png.begin() + kHeaderEnd, png.end());
  return out;
}

}  // namespace velquarin::platform
