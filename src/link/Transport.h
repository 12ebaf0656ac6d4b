#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>
#include <span>

// The endpoints the link talks through. They move bytes and report errors; they never parse
// the protocol. All events arrive on the thread that owns them, while a wait runs events.

/// A byte stream to the switcher: the serial port (COM mode) or the TCP client (LAN mode).
class StreamEndpoint : public QObject
{
    Q_OBJECT
public:
    enum class State { Closed, Opening, Open };

    using QObject::QObject;
    ~StreamEndpoint() override = default;

    /// Serial port name, or the host of the TCP peer.
    virtual void setTarget(const QString &target) = 0;
    virtual QString target() const = 0;

    /// Starts opening. A serial port opens at once (state Open, or Closed with an error); a TCP
    /// connect goes on in the background while the caller runs events, ending Open or Closed.
    virtual void startOpen() = 0;
    virtual State state() const = 0;
    virtual void close() = 0;
    /// Ends a pending connect and drops the socket so that a new connect can follow.
    virtual void abort() = 0;

    /// Serial: clears the input and output buffers. TCP: discards what is pending.
    virtual void clearInput() = 0;
    /// Writes all bytes; returns the count written, or -1 on an error.
    virtual qint64 write(std::span<const std::uint8_t> bytes) = 0;
    /// Everything received so far, without waiting (possibly nothing).
    virtual QByteArray takeAvailable() = 0;

    /// An error happened since the last clearError (open failure, lost device, reset peer).
    virtual bool hasError() const = 0;
    virtual QString errorString() const = 0;
    virtual void clearError() = 0;

    /// Why the endpoint could not be opened, or lost its peer, as far as the system tells.
    enum class Failure {
        None,       ///< no failure, or none that could be told apart
        Busy,       ///< another program holds the port, or the module serves another client
        Permission, ///< this user may not open the port
        NotFound,   ///< no such port, or no valid address
        Refused,    ///< nothing accepts connections at the address
        Other,
    };
    /// The reason of the last failure since the last open; clearError() keeps it.
    virtual Failure failure() const { return Failure::None; }

signals:
    void bytesArrived();
    void stateChanged();
    void errorOccurred();
};

/// The UDP socket of discovery and configuration.
class DatagramEndpoint : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~DatagramEndpoint() override = default;

    /// Re-creates the socket bound to the local port; false when it cannot be bound.
    virtual bool bind(std::uint16_t localPort) = 0;
    virtual void setBroadcastAllowed(bool allowed) = 0;
    /// Sends one datagram; false on an error.
    virtual bool send(const QString &host, std::uint16_t port,
                      std::span<const std::uint8_t> bytes) = 0;
    virtual void close() = 0;

signals:
    /// One datagram (at most 2048 bytes kept), its sender's IPv4 address as text and port.
    void datagramArrived(const QByteArray &bytes, const QString &sender, quint16 senderPort);
};

/// Makes the endpoints; tests hand the link a factory of scripted fakes.
class TransportFactory
{
public:
    virtual ~TransportFactory() = default;
    virtual std::unique_ptr<StreamEndpoint> createSerial() = 0;
    virtual std::unique_ptr<StreamEndpoint> createTcp() = 0;
    virtual std::unique_ptr<DatagramEndpoint> createUdp() = 0;
    /// The PC's own IPv4 address on its network, dotted.
    virtual QString localIPv4() const = 0;
};
