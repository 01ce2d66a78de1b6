#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>

// Fills a format text that came from the host (a translation such as "%@ (%d)"). The text is
// never handed to a C formatter: only these sequences are replaced, each by the next argument
// or, positionally, by %1$@ / %2$d ...:
//   %@                                       the argument as text (a number in decimal)
//   %d %i %u %ld %lu %lld %llu %zu           a number argument in decimal
//   %%                                       a single %
// Any other sequence, flags or widths included, a number conversion given a text argument and
// a reference to a missing argument stay in the result as they were written.
using ZqHostFormatArg = std::variant<std::string_view, std::uint64_t>;

std::string ZqFillHostFormat(std::string_view format, std::span<const ZqHostFormatArg> args);

// The first `limit` characters (code points) of UTF-8 `text`, followed by "..." when the text
// had more; never splits a character.
std::string ZqTruncateCharacters(std::string_view text, std::size_t limit);
// The same, cutting `text` where it is.
void ZqTruncateCharactersInPlace(std::string& text, std::size_t limit);
