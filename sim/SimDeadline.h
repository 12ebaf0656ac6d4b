#pragma once

#include "link/FileDescriptor.h"

#include <QObject>
#include <QSocketNotifier>

/// A one-shot timer to the microsecond, for the paced line: a QTimer counts whole
/// milliseconds and the event loop may wake it up to two milliseconds late, which on a
/// 19200-baud line is more than the controller's own work per packet. The time is that of
/// NowUs(), the monotonic clock.
class SimDeadline : public QObject
{
    Q_OBJECT
public:
    explicit SimDeadline(QObject *parent = nullptr);

    /// Microseconds of the monotonic clock.
    static qint64 NowUs();
    /// Fires expired() once NowUs() has reached `dueUs` (at once when it has already).
    void start(qint64 dueUs);
    void stop();

signals:
    void expired();

private:
    void fire();

    FileDescriptor m_timer;
    QSocketNotifier m_notifier{QSocketNotifier::Read};
};
