#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

/// The byte scrambling of firmware images inside a merged firmware file. Every image byte is
/// combined with a character of a fixed 32-character key; the key position restarts at 0 for
/// every image and wraps every 32 bytes.
class Scrambler
{
public:
    static constexpr std::string_view Key = "3C7E19D05B24A8F6E0917C4D2BA65F83";

    /// The key character code used for the image byte at `position`.
    static constexpr std::uint8_t KeyByte(std::size_t position)
    {
        return std::uint8_t(Key[position % Key.size()]);
    }

    /// b := ((b xor k) + k) mod 256, in place.
    static void EncodeImage(std::span<std::uint8_t> bytes);
    /// b := ((b - k) mod 256) xor k, in place; undoes EncodeImage.
    static void DecodeImage(std::span<std::uint8_t> bytes);
};
