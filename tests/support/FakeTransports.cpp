#include "FakeTransports.h"

#include "VirtualClock.h"

#include <QMetaObject>

FakeStreamEndpoint::FakeStreamEndpoint(VirtualClock *clock) : m_clock(clock) {}

void FakeStreamEndpoint::startOpen()
{
    ++openCalls;
    auto finish = [this] {
        m_failure = openFails ? openFailure : Failure::None;
        if (openFails) {
            m_error = openError.isEmpty() ? QStringLiteral("cannot open ") + m_target : openError;
            m_state = State::Closed;
            emit errorOccurred();
        } else {
            m_state = State::Open;
        }
        emit stateChanged();
    };
    if (connectDelay.count() > 0 && m_clock) {
        m_state = State::Opening;
        m_clock->schedule(connectDelay, finish);
    } else {
        finish();
    }
}

void FakeStreamEndpoint::close()
{
    ++closeCalls;
    m_state = State::Closed;
    m_inbound.clear();
}

void FakeStreamEndpoint::abort()
{
    m_state = State::Closed;
    m_inbound.clear();
}

void FakeStreamEndpoint::clearInput()
{
    ++clearCalls;
    m_inbound.clear();
}

qint64 FakeStreamEndpoint::write(std::span<const std::uint8_t> bytes)
{
    if (m_state != State::Open || failWrites) {
        m_error = QStringLiteral("write failed");
        return -1;
    }
    const QByteArray data(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
    writes.append(data);
    if (responder)
        responder(data);
    return qint64(bytes.size());
}

QByteArray FakeStreamEndpoint::takeAvailable()
{
    return std::exchange(m_inbound, {});
}

void FakeStreamEndpoint::deliver(const QByteArray &bytes)
{
    QMetaObject::invokeMethod(
        this,
        [this, bytes] {
            if (m_state != State::Open)
                return;
            m_inbound.append(bytes);
            emit bytesArrived();
        },
        Qt::QueuedConnection);
}

void FakeStreamEndpoint::deliverLater(std::chrono::milliseconds delay, const QByteArray &bytes)
{
    if (!m_clock) {
        deliver(bytes);
        return;
    }
    m_clock->schedule(delay, [this, bytes] { deliver(bytes); });
}

void FakeStreamEndpoint::breakConnection(const QString &why)
{
    m_error = why;
    m_state = State::Closed;
    m_inbound.clear();
    emit errorOccurred();
    emit stateChanged();
}

bool FakeDatagramEndpoint::bind(std::uint16_t localPort)
{
    binds.push_back(localPort);
    boundPort = localPort;
    return true;
}

bool FakeDatagramEndpoint::send(const QString &host, std::uint16_t port,
                                std::span<const std::uint8_t> bytes)
{
    Sent record{host, port,
                QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size())),
                m_broadcast};
    sent.push_back(record);
    if (responder)
        responder(record);
    return true;
}

void FakeDatagramEndpoint::deliver(const QByteArray &bytes, const QString &sender, quint16 port)
{
    emit datagramArrived(bytes.left(2048), sender, port);
}

std::unique_ptr<StreamEndpoint> FakeTransportFactory::createSerial()
{
    auto endpoint = std::make_unique<FakeStreamEndpoint>(m_clock);
    serial = endpoint.get();
    return endpoint;
}

std::unique_ptr<StreamEndpoint> FakeTransportFactory::createTcp()
{
    auto endpoint = std::make_unique<FakeStreamEndpoint>(m_clock);
    tcp = endpoint.get();
    return endpoint;
}

std::unique_ptr<DatagramEndpoint> FakeTransportFactory::createUdp()
{
    auto endpoint = std::make_unique<FakeDatagramEndpoint>();
    udp = endpoint.get();
    return endpoint;
}
