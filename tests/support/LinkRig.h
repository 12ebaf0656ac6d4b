#pragma once

#include "FakeTransports.h"
#include "TestBytes.h"
#include "VirtualClock.h"

#include "link/KXCOMControl.h"

#include <QList>

/// One notification as the link sent it.
struct SeenNotification
{
    int code = 0;
    qint64 wParam = 0;
    qint64 lParam = 0;
    QString text;
};

/// Appends every notification `link` sends to `seen`.
inline void RecordNotifications(TKXCOMControl &link, QList<SeenNotification> &seen)
{
    QObject::connect(&link, &TKXCOMControl::notify, &link,
                     [&seen](int code, qint64 w, qint64 l, const QString &text) {
                         seen.append({code, w, l, text});
                     });
}

/// Codes in order, leaving out the chatty trace, dump and byte-count notifications, and the
/// status texts too when `withoutStatusTexts` is set.
inline QList<int> OutcomeCodes(const QList<SeenNotification> &seen, bool withoutStatusTexts = false)
{
    QList<int> codes;
    for (const auto &note : seen) {
        const bool chatty = note.code == NotifyTrace || note.code == NotifyDataDump ||
                            note.code == NotifyBytesReceived ||
                            (withoutStatusTexts && note.code == NotifyStatusText);
        if (!chatty)
            codes.append(note.code);
    }
    return codes;
}

/// A link on fake transports and the virtual clock, recording every notification.
struct LinkRig
{
    LinkRig() { RecordNotifications(link, seen); }

    /// Opens the link in COM mode on the fake serial port.
    FakeStreamEndpoint &openCom()
    {
        link.setControlMode(cmCOM);
        link.setComPort(QStringLiteral("COM3"));
        link.Open();
        return *factory.serial;
    }

    /// Opens the link in LAN mode on the fake TCP client.
    FakeStreamEndpoint &openLan()
    {
        link.setControlMode(cmLAN);
        link.setDeviceIP(QStringLiteral("127.0.0.2"));
        link.Open();
        return *factory.tcp;
    }

    int count(int code) const
    {
        int n = 0;
        for (const auto &note : seen)
            n += note.code == code ? 1 : 0;
        return n;
    }

    /// Codes in order, leaving out the chatty trace, dump and byte-count notifications.
    QList<int> outcome() const { return OutcomeCodes(seen); }

    VirtualClock clock;
    FakeTransportFactory factory{&clock};
    ProgramFlags flags;
    TKXCOMControl link{flags, factory, clock};
    QList<SeenNotification> seen;
};

/// Bytes of a frame or packet as a QByteArray (the link tests' name for AsByteArray).
template <typename Bytes> QByteArray AsBytes(const Bytes &bytes)
{
    return AsByteArray(bytes);
}
