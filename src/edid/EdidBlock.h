#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

/// Size of the EDID block the controller handles: two 128-byte blocks back to back.
inline constexpr std::size_t EDIDBlockSize = 256;

using EdidBytes = std::array<std::uint8_t, EDIDBlockSize>;

/// What reading an EDID file gave.
struct EdidFileContent
{
    enum class Outcome {
        Loaded,     ///< `bytes` holds the file (256 or 257 bytes); not yet checked otherwise
        WrongSize,  ///< the file exists but cannot be an EDID block; nothing was read
        Unreadable, ///< missing, a directory, not a regular file or not readable; see `error`
    };
    Outcome outcome = Outcome::Unreadable;
    QByteArray bytes;
    QString error;
};

/// The 256-byte EDID block: its validity rules, its 16 x 16 grid texts and its files.
class EdidBlock
{
public:
    static constexpr int GridSide = 16;
    static constexpr std::array<std::uint8_t, 8> Header{0x00, 0xFF, 0xFF, 0xFF,
                                                        0xFF, 0xFF, 0xFF, 0x00};

    /// The block of `source` when it is valid: 256 or 257 bytes (a 257th byte is ignored), all
    /// 256 bytes summing to 0 modulo 256 and the standard header in bytes 0..7.
    static std::optional<EdidBytes> Validate(std::span<const std::uint8_t> source);
    static std::optional<EdidBytes> Validate(const QByteArray &source);

    /// The 256 data cell texts, row-major: two uppercase hexadecimal digits per byte.
    static QStringList CellTexts(const EdidBytes &block);
    /// "0".."F", the headers of the 16 data columns.
    static QStringList ColumnHeaders();
    /// "00", "10", .. "F0", the headers of the 16 data rows.
    static QStringList RowHeaders();

    /// The bytes of the data cells, read row-major: empty cells are skipped, every other cell
    /// must hold two hexadecimal digits. Nothing unless exactly 256 bytes were read.
    static std::optional<EdidBytes> Collect(const QStringList &cells);

    /// `fileName` with ".bin" appended unless it already ends in ".bin" in any letter case.
    static QString WithBinExtension(const QString &fileName);

    /// Reads an EDID file. The size is checked before anything is read, so a large file is
    /// refused without being loaded.
    static EdidFileContent ReadFile(const QString &path);
    /// Writes the block (exactly 256 bytes), replacing the file atomically.
    static bool WriteFile(const QString &path, const EdidBytes &block, QString *error = nullptr);

    static QByteArray ToByteArray(const EdidBytes &block);
};
