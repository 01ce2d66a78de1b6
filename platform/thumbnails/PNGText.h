#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

namespace velquarin::platform {

// The tEXt chunks of a PNG file (keyword -> text), as thumbnail caches tag their files with
// the source's URI and modification time. Only chunks before the image data are read; an
// input that is not a PNG, or a chunk that runs past the end, ends the reading.
std::map<std::string, std::string> pngTextChunks(std::span<const std::uint8_t> png);

// The PNG with tEXt chunks for `text` inserted after its header chunk; empty when `png` does
// not start with a PNG signature and header, a keyword is not 1 to 79 printable Latin-1
// characters, or zlib (for the chunks' checksums) cannot be loaded.
std::vector<std::uint8_t> withPNGTextChunks(std::span<const std::uint8_t> png,
                                            const std::map<std::string, std::string>& text);

}  // namespace velquarin::platform
