#pragma once

#include "link/Commands.h"
#include "link/Frames.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

inline constexpr std::size_t PartHeaderSize = 143;
inline constexpr std::size_t PartTextSize = 64;
inline constexpr std::uint8_t FirmwareCommand = std::uint8_t(Command::Firmware);
inline constexpr std::uint8_t PartKindMain = 1;
inline constexpr std::uint8_t PartKindSlave = 2;

/// The fixed 143-byte header in front of every part image of a merged firmware file. Bytes
/// 128..137 are bytes 2..11 of the command that starts writing the part.
struct PartHeader
{
    static constexpr const char *WarningText = "DON'T MODIFY THIS FILE MANNUALLY!";
    static constexpr const char *FirmwareText = "FIRMWARE FOR KorvexA1";

    std::uint8_t command = FirmwareCommand;
    std::uint8_t kind = 0;
    std::uint16_t partNumber = 0;
    std::uint16_t reserved = 0;
    std::uint16_t version1 = 0;
    std::uint16_t version2 = 0;
    std::uint32_t imageLength = 0;

    /// The 143 bytes: both texts with zero fill, the fields (little-endian) and the checksum
    /// that makes all 143 bytes sum to 0 modulo 256.
    std::array<std::uint8_t, PartHeaderSize> toBytes() const;
    /// The fields of 143 header bytes; the texts and the checksum are not checked here.
    static PartHeader fromBytes(std::span<const std::uint8_t, PartHeaderSize> bytes);
    /// The command that starts writing this part, with its frame checksum.
    TCommandFrame startFrame() const;
    /// "Part_" + kind + "." + part number + "." + version 1 + "." + version 2.
    QString partName() const;
};

/// A version text as stored in a part header: empty counts as 0, only the first 3 characters
/// are used, text that is not a number gives 0, values above 255 give 255.
std::uint8_t ParseVersionByte(const QString &text);

/// Why a part of a merged firmware file cannot be used.
enum class PartError {
    None,
    TruncatedHeader, ///< fewer than 143 bytes left where a header should start
    BadChecksum,     ///< the header bytes do not sum to 0 modulo 256
    BadCommand,      ///< byte 128 is not the firmware command
    BadKind,         ///< a kind other than main (1) or slave (2)
    ImageBeyondEnd,  ///< the image length runs past the end of the file
    EmptyImage,      ///< image length 0: there is nothing to send
};

/// One part as read from a merged firmware file.
struct FirmwarePart
{
    PartHeader header;
    TCommandFrame startFrame{};
    QString name;
    QByteArray image; ///< unscrambled
};

/// The outcome of reading the part that starts at `offset`.
struct PartRead
{
    PartError error = PartError::None;
    std::size_t offset = 0;
    /// Where the next part starts; only meaningful when `canContinue`.
    std::size_t nextOffset = 0;
    /// False when the file's structure is broken here and no later part can be located.
    bool canContinue = false;
    /// Complete when `error` is None; header and name also when `canContinue`.
    FirmwarePart part;
};

/// The merged firmware file: part records (header + scrambled image) back to back.
class FirmwareFile
{
public:
    /// "_mm" (main), "_ms", "_ir", "_pnl" (slaves 1..3); empty for anything else.
    static QString NamePiece(std::uint8_t kind, std::uint16_t partNumber);
    /// `appDir` (ending in a separator) + "KorvexA1" + for every part its name piece, version 1,
    /// ".", version 2 + ".fw".
    static QString MergedFileName(const QString &appDir, std::span<const PartHeader> parts);
    /// Header and scrambled image of one part; nothing for an image longer than 4 GiB - 1.
    static std::optional<QByteArray> BuildPartRecord(std::uint8_t kind, std::uint16_t partNumber,
                                                     std::uint8_t version1, std::uint8_t version2,
                                                     std::span<const std::uint8_t> plainImage);

    /// Reads the part whose header starts at `offset`. Never reads outside `file`.
    static PartRead ReadPart(std::span<const std::uint8_t> file, std::size_t offset);
    /// Walks the whole file: one entry per part, ending after the last part or at the first
    /// part whose error leaves the rest of the file unreadable.
    static std::vector<PartRead> ReadParts(std::span<const std::uint8_t> file);
    static std::vector<PartRead> ReadParts(const QByteArray &file);
};
