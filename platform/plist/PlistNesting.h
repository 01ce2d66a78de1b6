#pragma once

#include <cstddef>
#include <string_view>

namespace velquarin::platform {

// Deeper than any real property list; libplist builds, writes and frees trees recursively,
// so a crafted file nested a few hundred thousand levels deep would overflow the stack.
inline constexpr std::size_t kMaxPropertyListNesting = 512;

// Whether the containers of an XML or binary property list nest at most `maxDepth` levels.
// A conservative guard run before libplist sees the bytes: it may refuse odd but valid
// input, never pass deeper input. Binary lists with reference cycles are refused too.
bool propertyListNestingWithin(std::string_view bytes,
                               std::size_t maxDepth = kMaxPropertyListNesting);

}  // namespace velquarin::platform
