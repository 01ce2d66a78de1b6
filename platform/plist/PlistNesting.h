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

// Whether no string or key of an XML or binary property list holds a NUL character.
// libplist ends the process (a failed assertion) when it hands such a string out, so lists
// that hold one are refused before it sees them, like deep ones.
bool propertyListStringsWithoutNul(std::string_view bytes);

}  // namespace velquarin::platform
