#pragma once

#include <QObject>

class QSocketNotifier;

/// SIGINT and SIGTERM as a Qt signal while it lives, for a command that runs until it is
/// stopped. The default handling returns when it is destroyed.
class Interrupt : public QObject
{
    Q_OBJECT
public:
    explicit Interrupt(QObject *parent = nullptr);
    ~Interrupt() override;

signals:
    void requested();

private:
    QSocketNotifier *m_notifier = nullptr;
};
