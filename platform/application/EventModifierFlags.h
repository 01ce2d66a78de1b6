#pragma once

#include <cstdint>

namespace velquarin::platform {

// Modifier keys of an event and of a key equivalent, by the desktop's bit numbers.
namespace EventModifierFlags {
inline constexpr std::uint64_t CapsLock = 1ull << 16;
inline constexpr std::uint64_t Shift = 1ull << 17;
inline constexpr std::uint64_t Control = 1ull << 18;
inline constexpr std::uint64_t Option = 1ull << 19;
inline constexpr std::uint64_t Command = 1ull << 20;
inline constexpr std::uint64_t NumericPad = 1ull << 21;
inline constexpr std::uint64_t Help = 1ull << 22;
inline constexpr std::uint64_t Function = 1ull << 23;
// The bits above that mean keys; the low 16 bits are device-dependent.
inline constexpr std::uint64_t DeviceIndependentMask = 0xffff0000ull;
}  // namespace EventModifierFlags

}  // namespace velquarin::platform
