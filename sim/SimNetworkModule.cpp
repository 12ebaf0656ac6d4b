#include "SimNetworkModule.h"
#include "link/ByteSpan.h"

#include "link/LanRecords.h"
#include "SimLog.h"

#include <QNetworkDatagram>

namespace {
constexpr qint64 DatagramLimit = 2048;
constexpr std::uint8_t ConfigAccepted = 0x00;
constexpr std::uint8_t StatusConflict = 0x20;
constexpr std::uint8_t StatusFailed = 0x10;
constexpr std::uint8_t StaticAddressMark = 21;

template <std::size_t N>
void Put(QByteArray &record, int at, const std::array<std::uint8_t, N> &bytes)
{
    for (std::size_t i = 0; i < N; ++i)
        record[at + int(i)] = char(bytes[i]);
}

template <std::size_t N>
std::array<std::uint8_t, N> Take(std::span<const std::uint8_t> bytes, std::size_t at)
{
    std::array<std::uint8_t, N> taken{};
    std::copy_n(bytes.begin() + std::ptrdiff_t(at), N, taken.begin());
    return taken;
}
} // namespace

SimNetworkModule::SimNetworkModule(QObject *parent) : QObject(parent)
{
    connect(&m_discovery, &QUdpSocket::readyRead, this,
            [this] { readPending(m_discovery, m_discoveryPort); });
    connect(&m_configuration, &QUdpSocket::readyRead, this,
            [this] { readPending(m_configuration, m_configurationPort); });
}

SimNetworkModule::~SimNetworkModule() = default;

bool SimNetworkModule::listen(const QHostAddress &address, std::uint16_t discoveryPort,
                              std::uint16_t configurationPort)
{
    close();
    m_discoveryPort = discoveryPort;
    m_configurationPort = configurationPort;
    constexpr auto mode = QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint;
    if (!m_discovery.bind(address, discoveryPort, mode)) {
        m_error = m_discovery.errorString();
        return false;
    }
    if (!m_configuration.bind(address, configurationPort, mode)) {
        m_error = m_configuration.errorString();
        m_discovery.close();
        return false;
    }
    return true;
}

void SimNetworkModule::close()
{
    m_discovery.close();
    m_configuration.close();
}

QByteArray SimNetworkModule::DiscoveryRecord(const Module &module)
{
    QByteArray record(int(LanDeviceRecordSize), '\0');
    Put(record, 0, module.mac);
    Put(record, 6, module.address);
    Put(record, 10, module.gateway);
    Put(record, 14, module.mask);
    record[18] = char(module.firstNumber >> 8);
    record[19] = char(module.firstNumber & 0xFF);
    record[20] = char(module.secondNumber >> 8);
    record[21] = char(module.secondNumber & 0xFF);
    const QByteArray tag = module.tag.left(int(DeviceTagSize));
    record.replace(22, tag.size(), tag);
    record[54] = char(module.dhcp ? 1 : 0);
    return record;
}

void SimNetworkModule::readPending(QUdpSocket &socket, std::uint16_t localPort)
{
    while (socket.hasPendingDatagrams()) {
        const QNetworkDatagram datagram = socket.receiveDatagram(DatagramLimit);
        bool isV4 = false;
        const quint32 v4 = datagram.senderAddress().toIPv4Address(&isV4);
        const Datagram request{localPort, datagram.data(),
                               isV4 ? QHostAddress(v4).toString()
                                    : datagram.senderAddress().toString(),
                               std::uint16_t(datagram.senderPort())};
        received.append(request);
        if (localPort == m_discoveryPort)
            answerDiscovery(socket, request);
        else
            answerConfiguration(socket, request);
        emit datagramReceived();
    }
}

void SimNetworkModule::answerDiscovery(QUdpSocket &socket, const Datagram &request)
{
    if (request.bytes != QByteArray(1, '#') || modules.isEmpty())
        return;
    QByteArray answer;
    for (const Module &module : std::as_const(modules))
        answer += DiscoveryRecord(module);
    socket.writeDatagram(answer, QHostAddress(request.sender), request.senderPort);
}

void SimNetworkModule::answerConfiguration(QUdpSocket &socket, const Datagram &request)
{
    const auto bytes = ByteSpan(request.bytes);
    if (bytes.size() != LanConfigRecordSize || bytes[ConfigStatusByte] != RequestMark ||
        bytes[ConfigChecksumByte] != LanRecords::RecordChecksum(bytes)) {
        qCDebug(lcSim) << "configuration request rejected";
        return;
    }
    const auto mac = Take<6>(bytes, 0);
    Module *target = nullptr;
    for (Module &module : modules) {
        if (module.mac == mac)
            target = &module;
    }
    if (!target || configAnswer == ConfigAnswer::Silent)
        return;

    std::uint8_t status = ConfigAccepted;
    if (configAnswer == ConfigAnswer::Conflict)
        status = StatusConflict;
    else if (configAnswer == ConfigAnswer::Fail)
        status = StatusFailed;
    if (status == ConfigAccepted) {
        target->dhcp = bytes[18] != 0;
        if (bytes[25] == StaticAddressMark) {
            target->address = Take<4>(bytes, 6);
            target->gateway = Take<4>(bytes, 10);
            target->mask = Take<4>(bytes, 14);
        }
        const QByteArray tag(reinterpret_cast<const char *>(bytes.data()) + ConfigTagOffset,
                             qsizetype(DeviceTagSize));
        target->tag = tag.left(tag.indexOf('\0') < 0 ? tag.size() : tag.indexOf('\0'));
    }
    QByteArray answer = request.bytes;
    answer[int(ConfigStatusByte)] = char(status);
    answer[int(ConfigChecksumByte)] = char(LanRecords::RecordChecksum(ByteSpan(answer)));
    socket.writeDatagram(answer, QHostAddress(request.sender), request.senderPort);
}
