#pragma once

#include "ConnectionTarget.h"
#include "SwitcherSession.h"

#include "shell/LinkFailures.h"

#include <memory>

class CommandGate;
class Output;
class ShellContext;
class TKXCOMControl;
class TransportFactory;
struct Environment;

/// The link to one switcher for the length of one command (SwitcherSession on the
/// environment's transports and clock). The command ends with the first failure the link
/// reported: its text and exit code.
class Session
{
public:
    Session(Environment &env, const ConnectionTarget &target);
    ~Session();
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;

    const ConnectionTarget &target() const { return m_link.target(); }
    ShellContext &context() const { return m_link.context(); }
    CommandGate &gate() const { return m_link.gate(); }
    TKXCOMControl &link() const { return m_link.link(); }

    /// Opens the serial port or connects to the module; false when that failed (reported).
    bool open() { return m_link.open(); }

    bool failed() const { return m_link.failure().has_value(); }
    /// Writes the first failure the link reported and returns its exit code. Without one
    /// (the gate refused silently, a stop was requested) `fallbackText` and `fallback`.
    int report(Output &out, int fallback = LinkFailures::NoAnswer,
               const QString &fallbackText = {}) const;

private:
    std::unique_ptr<TransportFactory> m_transports;
    SwitcherSession m_link;
};
