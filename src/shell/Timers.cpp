#include "shell/Timers.h"

#include <QTimer>

void QtTimers::after(std::chrono::milliseconds delay, QObject *context,
                     std::function<void()> action)
{
    QTimer::singleShot(delay, Qt::PreciseTimer, context, std::move(action));
}
