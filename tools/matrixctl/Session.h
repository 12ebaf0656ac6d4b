#pragma once

#include "Target.h"

#include "link/Transport.h"
#include "shell/LinkFailures.h"

#include <QPointer>

#include <memory>
#include <optional>

class ChosenPortLister;
class CommandGate;
class Output;
class ShellContext;
class TKXCOMControl;
struct Environment;

/// The link to one switcher for the length of one command: a ShellContext on the real
/// transports and clock, a port list of exactly the chosen port, no blinking. It keeps the
/// first failure the link reports, with the endpoint's reason, so that the command ends with
/// that failure's text and exit code.
class Session
{
public:
    Session(Environment &env, const Target &target);
    ~Session();
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    const Target &target() const { return m_target; }
    ShellContext &context() const { return *m_context; }
    CommandGate &gate() const;
    TKXCOMControl &link() const;

    /// Opens the serial port or connects to the module; false when that failed (reported).
    bool open();

    bool failed() const { return m_failure.has_value(); }
    /// Writes the first failure the link reported and returns its exit code. Without one
    /// (the gate refused silently, a stop was requested) `fallbackText` and `fallback`.
    int report(Output &out, int fallback = LinkFailures::NoAnswer,
               const QString &fallbackText = {}) const;

private:
    /// Makes the real endpoints and keeps an eye on the two stream endpoints, whose reason
    /// for a failure the link does not pass on.
    class Transports final : public TransportFactory
    {
    public:
        explicit Transports(std::unique_ptr<TransportFactory> real) : m_real(std::move(real)) {}
        std::unique_ptr<StreamEndpoint> createSerial() override;
        std::unique_ptr<StreamEndpoint> createTcp() override;
        std::unique_ptr<DatagramEndpoint> createUdp() override { return m_real->createUdp(); }
        QString localIPv4() const override { return m_real->localIPv4(); }

        QPointer<StreamEndpoint> serial;
        QPointer<StreamEndpoint> tcp;

    private:
        std::unique_ptr<TransportFactory> m_real;
    };

    struct Recorded
    {
        int code = 0;
        LinkFailures::Failure failure;
        StreamEndpoint::Failure reason = StreamEndpoint::Failure::None;
        QString systemText;
    };

    void onNotification(int code, qint64 wParam, qint64 lParam);

    Target m_target;
    Transports m_transports;
    std::unique_ptr<ChosenPortLister> m_ports;
    std::unique_ptr<ShellContext> m_context;
    std::optional<Recorded> m_failure;
};
