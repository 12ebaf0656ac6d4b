#include "link/Scrambler.h"

static_assert(Scrambler::Key.size() == 32);

void Scrambler::EncodeImage(std::span<std::uint8_t> bytes)
{
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::uint8_t k = KeyByte(i);
        bytes[i] = std::uint8_t((bytes[i] ^ k) + k);
    }
}

void Scrambler::DecodeImage(std::span<std::uint8_t> bytes)
{
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::uint8_t k = KeyByte(i);
        bytes[i] = std::uint8_t(std::uint8_t(bytes[i] - k) ^ k);
    }
}
