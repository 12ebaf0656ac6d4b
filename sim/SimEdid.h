#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

// EDID blocks the simulated switcher holds from the start: one per built-in mode, a default,
// one per display on an output and the two user memories. Each is a complete 256-byte block
// (base block and one CEA extension, or a base block and an empty second half for the DVI
// modes) with correct checksums, so a controller can show and validate it like a real one.

using SimEdidBlock = std::array<std::uint8_t, 256>;

inline constexpr std::uint16_t FirstBuiltinEdidCode = 0xF001;
inline constexpr std::uint16_t LastBuiltinEdidCode = 0xF00F;
inline constexpr std::size_t BuiltinEdidCount = LastBuiltinEdidCode - FirstBuiltinEdidCode + 1;

namespace SimEdid {

/// The block of built-in mode 0xF001..0xF00F; the default block for any other code.
SimEdidBlock Builtin(std::uint16_t code);
/// What the switcher restores with its "default EDID" commands.
SimEdidBlock Default();
/// The EDID of a display attached to output 1..8.
SimEdidBlock Display(int output);
/// The factory content of user memory 1 or 2.
SimEdidBlock UserMemory(int memory);

/// Header bytes right and each 128-byte half summing to 0.
bool IsWellFormed(std::span<const std::uint8_t> block);
/// The text of the monitor name descriptor (0xFC) of the base block, empty when none.
std::string MonitorName(std::span<const std::uint8_t> block);

} // namespace SimEdid
