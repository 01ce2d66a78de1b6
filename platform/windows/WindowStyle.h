#pragma once

namespace velquarin::platform {

// Window style bits, by their platform values.
namespace windowstyle {
inline constexpr unsigned kBorderless = 0;
inline constexpr unsigned kTitled = 1u << 0;
inline constexpr unsigned kClosable = 1u << 1;
inline constexpr unsigned kMiniaturizable = 1u << 2;
inline constexpr unsigned kResizable = 1u << 3;
}  // namespace windowstyle

}  // namespace velquarin::platform
