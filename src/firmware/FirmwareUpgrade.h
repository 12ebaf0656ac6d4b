#pragma once

#include "firmware/FirmwareFile.h"

#include <QByteArray>
#include <QObject>
#include <QString>

class ExchangeGuard;
class ShellContext;

/// Sends a merged firmware file to the switcher part by part, then restarts it and waits
/// until it answers again. Reports in the message area, the status bar and through the
/// signals a progress gauge follows.
class FirmwareUpgrade : public QObject
{
    Q_OBJECT
public:
    explicit FirmwareUpgrade(ShellContext &context, QObject *parent = nullptr);

    /// The whole procedure for the file at `path`.
    void UpgradeFirmware(const QString &path);

signals:
    /// The procedure has started (true) or ended (false).
    void running(bool on);
    /// A part begins: the gauge goes back to its caption and 0.
    void partStarted();
    /// Progress of the part being written, with the gauge caption.
    void progress(const QString &caption, int value);

private:
    /// Sends the parts one after the other. True when the last part was written and the file
    /// held nothing damaged, so that the switcher may restart.
    bool sendParts(const ExchangeGuard &exchange, const QByteArray &file);
    /// Why the part at `offset` cannot be sent, as a message line.
    static QString partProblem(const QByteArray &file, const PartRead &read);
    void restartSwitcher();
    void message(const QString &line);

    ShellContext &m_context;
    bool m_partFailed = false;
};
