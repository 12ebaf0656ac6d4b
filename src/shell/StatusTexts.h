#pragma once

#include "link/Commands.h"

#include <QDateTime>
#include <QString>

/// The main window's texts that are built from values: the clock, and the texts of the
/// link's notifications. Plain concatenation of fixed pieces and decimal numbers.
namespace StatusTexts {

/// year-month-day hour:minute, month, day, hour and minute with two digits.
QString Clock(const QDateTime &moment);
/// "COM access failed!" or "TCP control failed!".
QString AccessFailed(TControlMode mode);
/// "Open COM [port] failed", "Close COM [port] failed", "Connect ip failed" or
/// "Disconnect ip failed", by the mode and whether the link is connected after the failure.
QString OpenCloseFailed(TControlMode mode, bool connected, const QString &port, const QString &ip);
/// "Write to Part_k.n.v1.v2 failed" from a part identification and its versions.
QString PartWriteFailed(qint64 identification, qint64 versions);
/// "Upgrading Part_k.n" from a part identification.
QString UpgradingPart(qint64 identification);

} // namespace StatusTexts
