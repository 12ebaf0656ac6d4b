#include "SimEdid.h"

#include <algorithm>
#include <numeric>
#include <string_view>
#include <vector>

namespace {

constexpr std::array<std::uint8_t, 8> EdidHeader{0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
constexpr std::size_t HalfSize = 128;
constexpr std::size_t DescriptorSize = 18;

enum class Picture { Interlaced1080, Progressive1080, ThreeD, UltraHd, Xga, FullHdDvi, Wuxga };
enum class Sound { None, Stereo, Surround51, Surround71 };

struct Timing
{
    std::uint16_t clock10kHz;
    std::uint16_t hActive, hBlank, hSyncOffset, hSyncWidth;
    std::uint16_t vActive, vBlank, vSyncOffset, vSyncWidth;
    std::uint8_t flags;
};

// CEA-861 / VESA timings as a display would announce them.
constexpr Timing Timing1080p60{14850, 1920, 280, 88, 44, 1080, 45, 4, 5, 0x1E};
constexpr Timing Timing1080i60{7425, 1920, 280, 88, 44, 540, 22, 2, 5, 0x9E};
constexpr Timing Timing720p60{7425, 1280, 370, 110, 40, 720, 30, 5, 5, 0x1E};
constexpr Timing Timing2160p30{29700, 3840, 560, 176, 88, 2160, 90, 8, 10, 0x1E};
constexpr Timing TimingXga60{6500, 1024, 320, 24, 136, 768, 38, 3, 6, 0x18};
constexpr Timing TimingWuxgaRb{15400, 1920, 160, 48, 32, 1200, 35, 3, 6, 0x1A};

struct Profile
{
    std::string_view name; // at most 13 characters
    Picture picture;
    Sound sound;
};

constexpr std::array<Profile, BuiltinEdidCount> BuiltinProfiles{{
    {"1080i 2CH", Picture::Interlaced1080, Sound::Stereo},
    {"1080i 5.1CH", Picture::Interlaced1080, Sound::Surround51},
    {"1080i 7.1CH", Picture::Interlaced1080, Sound::Surround71},
    {"1080P 2CH", Picture::Progressive1080, Sound::Stereo},
    {"1080P 5.1CH", Picture::Progressive1080, Sound::Surround51},
    {"1080P 7.1CH", Picture::Progressive1080, Sound::Surround71},
    {"3D 2CH", Picture::ThreeD, Sound::Stereo},
    {"3D 5.1CH", Picture::ThreeD, Sound::Surround51},
    {"3D 7.1CH", Picture::ThreeD, Sound::Surround71},
    {"4K2K 2CH", Picture::UltraHd, Sound::Stereo},
    {"4K2K 5.1CH", Picture::UltraHd, Sound::Surround51},
    {"4K2K 7.1CH", Picture::UltraHd, Sound::Surround71},
    {"DVI 1024x768", Picture::Xga, Sound::None},
    {"DVI 1920x1080", Picture::FullHdDvi, Sound::None},
    {"DVI 1920x1200", Picture::Wuxga, Sound::None},
}};

void PutDetailedTiming(std::uint8_t *d, const Timing &t, std::uint16_t widthMm,
                       std::uint16_t heightMm)
{
    d[0] = std::uint8_t(t.clock10kHz & 0xFF);
    d[1] = std::uint8_t(t.clock10kHz >> 8);
    d[2] = std::uint8_t(t.hActive & 0xFF);
    d[3] = std::uint8_t(t.hBlank & 0xFF);
    d[4] = std::uint8_t(((t.hActive >> 8) << 4) | (t.hBlank >> 8));
    d[5] = std::uint8_t(t.vActive & 0xFF);
    d[6] = std::uint8_t(t.vBlank & 0xFF);
    d[7] = std::uint8_t(((t.vActive >> 8) << 4) | (t.vBlank >> 8));
    d[8] = std::uint8_t(t.hSyncOffset & 0xFF);
    d[9] = std::uint8_t(t.hSyncWidth & 0xFF);
    d[10] = std::uint8_t(((t.vSyncOffset & 0x0F) << 4) | (t.vSyncWidth & 0x0F));
    d[11] = std::uint8_t(((t.hSyncOffset >> 8) << 6) | ((t.hSyncWidth >> 8) << 4) |
                         ((t.vSyncOffset >> 4) << 2) | (t.vSyncWidth >> 4));
    d[12] = std::uint8_t(widthMm & 0xFF);
    d[13] = std::uint8_t(heightMm & 0xFF);
    d[14] = std::uint8_t(((widthMm >> 8) << 4) | (heightMm >> 8));
    d[15] = 0;
    d[16] = 0;
    d[17] = t.flags;
}

// Display descriptor with a text payload: padded with a line feed, then blanks.
void PutTextDescriptor(std::uint8_t *d, std::uint8_t tag, std::string_view text)
{
    std::fill_n(d, DescriptorSize, 0);
    d[3] = tag;
    const std::size_t n = std::min<std::size_t>(text.size(), 13);
    std::copy_n(text.begin(), n, d + 5);
    for (std::size_t i = n; i < 13; ++i)
        d[5 + i] = i == n ? 0x0A : 0x20;
}

void PutRangeLimits(std::uint8_t *d, std::uint8_t maxClock10MHz)
{
    constexpr std::array<std::uint8_t, DescriptorSize> Limits{0x00, 0x00, 0x00, 0xFD, 0x00, 24,
                                                              75,   15,   100,  0,    0x00, 0x0A,
                                                              0x20, 0x20, 0x20, 0x20, 0x20, 0x20};
    std::copy(Limits.begin(), Limits.end(), d);
    d[9] = maxClock10MHz;
}

void SealHalf(std::uint8_t *half)
{
    half[HalfSize - 1] = 0;
    const unsigned sum = std::accumulate(half, half + HalfSize - 1, 0u);
    half[HalfSize - 1] = std::uint8_t((256 - sum % 256) % 256);
}

const Timing &PreferredTiming(Picture picture)
{
    switch (picture) {
    case Picture::Interlaced1080:
        return Timing1080i60;
    case Picture::UltraHd:
        return Timing2160p30;
    case Picture::Xga:
        return TimingXga60;
    case Picture::Wuxga:
        return TimingWuxgaRb;
    default:
        return Timing1080p60;
    }
}

void BuildBaseBlock(std::uint8_t *b, const Profile &profile, std::uint16_t product,
                    std::uint32_t serial, bool withExtension)
{
    std::copy(EdidHeader.begin(), EdidHeader.end(), b);
    // Manufacturer "SIM": three letters of five bits each, big-endian.
    constexpr std::uint16_t Maker = (('S' - '@') << 10) | (('I' - '@') << 5) | ('M' - '@');
    b[8] = std::uint8_t(Maker >> 8);
    b[9] = std::uint8_t(Maker & 0xFF);
    b[10] = std::uint8_t(product & 0xFF);
    b[11] = std::uint8_t(product >> 8);
    for (int i = 0; i < 4; ++i)
        b[12 + i] = std::uint8_t(serial >> (8 * i));
    b[16] = 12;   // week of manufacture
    b[17] = 25;   // 2015
    b[18] = 0x01; // EDID 1.3
    b[19] = 0x03;
    b[20] = 0x80; // digital input
    b[21] = 60;   // 60 x 34 cm
    b[22] = 34;
    b[23] = 0x78; // gamma 2.2
    b[24] = 0x0A; // RGB colour, preferred timing in the first descriptor
    constexpr std::array<std::uint8_t, 10> Chroma{0xEE, 0x91, 0xA3, 0x54, 0x4C,
                                                  0x99, 0x26, 0x0F, 0x50, 0x54};
    std::copy(Chroma.begin(), Chroma.end(), b + 25);
    b[35] = 0x21; // 640x480@60, 800x600@60
    b[36] = 0x08; // 1024x768@60
    b[37] = 0x00;
    // Standard timings 1920x1080, 1280x720, 1280x1024 at 60 Hz; the rest unused.
    constexpr std::array<std::uint8_t, 6> Standard{0xD1, 0xC0, 0x81, 0xC0, 0x81, 0x80};
    std::fill_n(b + 38, 16, 0x01);
    std::copy(Standard.begin(), Standard.end(), b + 38);

    const Timing &preferred = PreferredTiming(profile.picture);
    PutDetailedTiming(b + 54, preferred, 600, 340);
    PutRangeLimits(b + 72, profile.picture == Picture::UltraHd ? 30 : 17);
    PutTextDescriptor(b + 90, 0xFC, profile.name);
    PutTextDescriptor(b + 108, 0xFF, "SIM" + std::to_string(serial));
    b[126] = withExtension ? 1 : 0;
    SealHalf(b);
}

void BuildCeaExtension(std::uint8_t *e, const Profile &profile)
{
    std::vector<std::uint8_t> blocks;
    // Video data block: the preferred format marked native.
    std::vector<std::uint8_t> vics;
    switch (profile.picture) {
    case Picture::Interlaced1080:
        vics = {0x85, 4, 3, 2, 16, 20, 19, 31};
        break;
    default:
        vics = {0x90, 4, 5, 3, 2, 31, 19, 20};
        break;
    }
    blocks.push_back(std::uint8_t(0x40 | vics.size()));
    blocks.insert(blocks.end(), vics.begin(), vics.end());

    // Audio data block: short audio descriptors (format, channels, rates, sizes/bit rate).
    std::vector<std::uint8_t> sads{0x09, 0x07, 0x07}; // LPCM 2 ch, 32-48 kHz, 16-24 bit
    if (profile.sound == Sound::Surround51 || profile.sound == Sound::Surround71) {
        sads.insert(sads.end(), {0x15, 0x07, 0x50}); // AC-3 6 ch, 640 kbit/s
        sads.insert(sads.end(), {0x3D, 0x07, 0xC0}); // DTS 6 ch, 1536 kbit/s
    }
    if (profile.sound == Sound::Surround71) {
        sads.insert(sads.end(), {0x0F, 0x7F, 0x07}); // LPCM 8 ch up to 192 kHz
        sads.insert(sads.end(), {0x67, 0x7E, 0x00}); // Dolby TrueHD 8 ch
        sads.insert(sads.end(), {0x5F, 0x7E, 0x01}); // DTS-HD 8 ch
    }
    blocks.push_back(std::uint8_t(0x20 | sads.size()));
    blocks.insert(blocks.end(), sads.begin(), sads.end());

    // Speaker allocation.
    const std::uint8_t speakers = profile.sound == Sound::Surround71   ? 0x4F
                                  : profile.sound == Sound::Surround51 ? 0x0F
                                                                       : 0x01;
    blocks.insert(blocks.end(), {0x83, speakers, 0x00, 0x00});

    // HDMI vendor-specific block, physical address 1.0.0.0.
    std::vector<std::uint8_t> vsdb{0x03, 0x0C, 0x00, 0x10, 0x00, 0x00, 0x2D};
    if (profile.picture == Picture::ThreeD)
        vsdb.insert(vsdb.end(), {0x20, 0x80, 0x00}); // 3D present
    if (profile.picture == Picture::UltraHd) {
        vsdb[6] = 0x3C;                                    // 300 MHz TMDS
        vsdb.insert(vsdb.end(), {0x20, 0x00, 0x20, 0x01}); // HDMI VIC 1: 2160p30
    }
    blocks.push_back(std::uint8_t(0x60 | vsdb.size()));
    blocks.insert(blocks.end(), vsdb.begin(), vsdb.end());

    std::fill_n(e, HalfSize, 0);
    e[0] = 0x02;
    e[1] = 0x03;
    e[2] = std::uint8_t(4 + blocks.size());
    e[3] = 0x71; // basic audio, YCbCr 4:4:4 and 4:2:2, one native format
    std::copy(blocks.begin(), blocks.end(), e + 4);
    std::uint8_t *dtd = e + e[2];
    PutDetailedTiming(dtd, Timing720p60, 600, 340);
    if (profile.picture != Picture::Progressive1080)
        PutDetailedTiming(dtd + DescriptorSize, Timing1080p60, 600, 340);
    SealHalf(e);
}

SimEdidBlock BuildBlock(const Profile &profile, std::uint16_t product, std::uint32_t serial)
{
    SimEdidBlock block{};
    const bool hdmi = profile.sound != Sound::None;
    BuildBaseBlock(block.data(), profile, product, serial, hdmi);
    if (hdmi)
        BuildCeaExtension(block.data() + HalfSize, profile);
    return block;
}

} // namespace

namespace SimEdid {

SimEdidBlock Builtin(std::uint16_t code)
{
    if (code < FirstBuiltinEdidCode || code > LastBuiltinEdidCode)
        return Default();
    const std::size_t index = code - FirstBuiltinEdidCode;
    return BuildBlock(BuiltinProfiles[index], std::uint16_t(0x1000 + index + 1),
                      std::uint32_t(100 + index + 1));
}

SimEdidBlock Default()
{
    return BuildBlock({"SIM DEFAULT", Picture::Progressive1080, Sound::Stereo}, 0x1000, 100);
}

SimEdidBlock Display(int output)
{
    const std::string name = "DISPLAY " + std::to_string(output);
    const Picture picture = output % 2 == 0 ? Picture::UltraHd : Picture::Progressive1080;
    const Sound sound = output % 2 == 0 ? Sound::Surround71 : Sound::Surround51;
    return BuildBlock({name, picture, sound}, std::uint16_t(0x2000 + output),
                      std::uint32_t(200 + output));
}

SimEdidBlock UserMemory(int memory)
{
    const std::string name = "USER " + std::to_string(memory);
    return BuildBlock({name, Picture::Progressive1080, Sound::Stereo},
                      std::uint16_t(0x3000 + memory), std::uint32_t(300 + memory));
}

bool IsWellFormed(std::span<const std::uint8_t> block)
{
    if (block.size() != 256 || !std::equal(EdidHeader.begin(), EdidHeader.end(), block.begin()))
        return false;
    for (std::size_t half = 0; half < 2; ++half) {
        const auto part = block.subspan(half * HalfSize, HalfSize);
        if (std::accumulate(part.begin(), part.end(), 0u) % 256 != 0)
            return false;
    }
    return true;
}

std::string MonitorName(std::span<const std::uint8_t> block)
{
    if (block.size() < HalfSize)
        return {};
    for (std::size_t at = 54; at + DescriptorSize <= 126; at += DescriptorSize) {
        if (block[at] != 0 || block[at + 1] != 0 || block[at + 3] != 0xFC)
            continue;
        std::string name;
        for (std::size_t i = 0; i < 13 && block[at + 5 + i] != 0x0A; ++i)
            name.push_back(char(block[at + 5 + i]));
        while (!name.empty() && name.back() == ' ')
            name.pop_back();
        return name;
    }
    return {};
}

} // namespace SimEdid
