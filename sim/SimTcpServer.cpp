#include "SimTcpServer.h"

#include "SimLog.h"
#include "SwitcherDevice.h"
#include "link/Frames.h"

#include <sys/socket.h>

namespace {

// The flood goes out a chunk at a time: the next one is queued when the system has taken the
// last, so the simulator's own memory stays bounded however slowly the client reads.
constexpr qint64 FloodChunk = 64 * 1024;

/// Bytes no answer starts with: a repeating pseudo-random pattern without the lead-in byte.
QByteArray Garbage()
{
    QByteArray bytes(FloodChunk, Qt::Uninitialized);
    std::uint32_t state = 0x2545F491;
    for (char &byte : bytes) {
        state = state * 1664525u + 1013904223u;
        const auto value = std::uint8_t(state >> 24);
        byte = char(value == LeadIn1 ? 0 : value);
    }
    return bytes;
}

} // namespace

SimTcpServer::SimTcpServer(SwitcherDevice &device, QObject *parent)
    : QObject(parent), m_device(device)
{
    connect(&m_server, &QTcpServer::newConnection, this, &SimTcpServer::acceptClients);
    connect(&m_device, &SwitcherDevice::transmit, this, [this](const QByteArray &bytes) {
        // A flooding module sends its garbage instead of the answers.
        if (m_client && m_client->state() == QAbstractSocket::ConnectedState &&
            m_device.answersTo(this) && m_device.faults().flood() == 0)
            m_client->write(bytes);
    });
}

SimTcpServer::~SimTcpServer()
{
    close();
}

bool SimTcpServer::listen(const QHostAddress &address, std::uint16_t port)
{
    if (!m_server.listen(address, port)) {
        qCWarning(lcSim) << "cannot listen on" << address.toString() << port
                         << m_server.errorString();
        return false;
    }
    return true;
}

void SimTcpServer::close()
{
    m_server.close();
    if (m_client) {
        m_client->abort();
        dropClient();
    }
}

void SimTcpServer::acceptClients()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        if (m_client) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        m_client = socket;
        // Answers are small and the controller waits for each one: send them at once rather
        // than letting Nagle's algorithm hold them back for the previous segment's ACK.
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        m_device.resetInput();
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
            if (socket != m_client)
                return;
            m_device.receiveFrom(this, socket->readAll());
            pumpFlood();
        });
        connect(socket, &QTcpSocket::bytesWritten, this, &SimTcpServer::pumpFlood);
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            if (socket == m_client)
                dropClient();
        });
        emit clientConnected();
        pumpFlood();
    }
}

void SimTcpServer::pumpFlood()
{
    if (!m_client || m_client->state() != QAbstractSocket::ConnectedState ||
        m_client->bytesToWrite() >= FloodChunk)
        return;
    const qint64 size = m_device.faults().takeFlood(FloodChunk);
    if (size <= 0)
        return;
    if (m_garbage.isEmpty())
        m_garbage = Garbage();
    m_client->write(m_garbage.constData(), size);
}

void SimTcpServer::dropClient()
{
    if (!m_client)
        return;
    QTcpSocket *socket = m_client;
    m_client.clear();
    socket->deleteLater();
    m_device.resetInput();
    emit clientDisconnected();
}

void SimTcpServer::resetConnection()
{
    if (!m_client)
        return;
    // Zero linger turns the close into a reset (RST) instead of an orderly shutdown.
    const linger noLinger{1, 0};
    ::setsockopt(int(m_client->socketDescriptor()), SOL_SOCKET, SO_LINGER, &noLinger,
                 sizeof noLinger);
    m_client->abort();
    dropClient();
}
