#pragma once

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

/// Cuts the byte stream the simulated switcher receives into units: 13-byte command frames,
/// data packets while a transfer towards the switcher runs, and 32-byte records when records
/// are enabled. Bytes that cannot start a unit are skipped until the next lead-in, so the
/// receiver finds its way back after garbage or a broken frame. Pure code, no I/O.
class SimReceiver
{
public:
    enum class Kind {
        Frame,    ///< a 13-byte frame with a correct checksum
        BadFrame, ///< 13 bytes after a lead-in whose checksum is wrong (only its first byte
                  ///< is consumed, so a frame starting inside it is still found)
        Packet,   ///< a data packet of the expected transfer (validated by its handler)
        Record,   ///< a 32-byte record starting with the record header
    };
    struct Unit
    {
        Kind kind = Kind::Frame;
        QByteArray bytes;
    };

    /// Length of a packet on the wire from its 13-byte header; clamped to 14..270.
    using PacketLength = std::function<std::size_t(std::span<const std::uint8_t> header)>;

    static constexpr std::size_t RecordSize = 32;
    static constexpr std::size_t MaxBuffered = 4096;

    /// While set, a header with this command and subcommand and a packet status in p1
    /// (0x00AA or 0x0056) starts a packet; anything else is still read as a frame.
    void expectPackets(std::uint8_t command, std::uint8_t subcommand, PacketLength length);
    void expectFrames();
    bool expectingPackets() const { return m_packetLength != nullptr; }

    /// Whether bytes starting with the record header form 32-byte records.
    void setRecordsEnabled(bool enabled) { m_records = enabled; }

    void append(const QByteArray &bytes);
    /// The next complete unit under the current expectation, if any.
    std::optional<Unit> take();
    /// Forgets buffered bytes (a new connection, a restart).
    void clear() { m_buffer.clear(); }
    qsizetype buffered() const { return m_buffer.size(); }
    /// Bytes skipped because they could not start a unit.
    std::size_t skipped() const { return m_skipped; }

private:
    bool couldStartUnit() const;
    std::optional<std::size_t> packetLengthFor(std::span<const std::uint8_t> header) const;

    QByteArray m_buffer;
    std::size_t m_skipped = 0;
    bool m_records = false;
    std::uint8_t m_packetCommand = 0;
    std::uint8_t m_packetSubcommand = 0;
    PacketLength m_packetLength;
};
