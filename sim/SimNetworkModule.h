#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QUdpSocket>

#include <array>
#include <cstdint>

/// Network modules answering on UDP: discovery requests on port 30600 get one datagram that
/// holds a 55-byte record per module; configuration records on port 30601 are answered with
/// the chosen verdict. Binds to one given address (a loopback address in tests), so it never
/// listens on a real network.
class SimNetworkModule : public QObject
{
    Q_OBJECT
public:
    struct Module
    {
        std::array<std::uint8_t, 6> mac{0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
        std::array<std::uint8_t, 4> address{192, 168, 0, 100};
        std::array<std::uint8_t, 4> gateway{192, 168, 0, 1};
        std::array<std::uint8_t, 4> mask{255, 255, 255, 0};
        std::uint16_t firstNumber = 8000;
        std::uint16_t secondNumber = 30600;
        QByteArray tag = "Matrix";
        bool dhcp = false;
    };

    enum class ConfigAnswer { Accept, Conflict, Fail, Silent };

    struct Datagram
    {
        std::uint16_t localPort = 0;
        QByteArray bytes;
        QString sender;
        std::uint16_t senderPort = 0;
    };

    explicit SimNetworkModule(QObject *parent = nullptr);
    ~SimNetworkModule() override;

    /// Binds ports 30600 and 30601 (or the given ones) on `address`; false on an error.
    bool listen(const QHostAddress &address, std::uint16_t discoveryPort = 30600,
                std::uint16_t configurationPort = 30601);
    void close();
    QString errorString() const { return m_error; }

    /// The 55-byte discovery record of a module.
    static QByteArray DiscoveryRecord(const Module &module);

    QList<Module> modules{Module{}};
    ConfigAnswer configAnswer = ConfigAnswer::Accept;
    /// Every datagram received, as received.
    QList<Datagram> received;

signals:
    void datagramReceived();

private:
    void readPending(QUdpSocket &socket, std::uint16_t localPort);
    void answerDiscovery(QUdpSocket &socket, const Datagram &request);
    void answerConfiguration(QUdpSocket &socket, const Datagram &request);

    QUdpSocket m_discovery;
    QUdpSocket m_configuration;
    std::uint16_t m_discoveryPort = 30600;
    std::uint16_t m_configurationPort = 30601;
    QString m_error;
};
