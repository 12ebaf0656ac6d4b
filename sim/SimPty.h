#pragma once

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>
#include <QString>

class SwitcherDevice;

/// Serves a SwitcherDevice on a pseudo-terminal. The controller opens slavePath() like a
/// serial port; the simulator reads and writes the master side. close() takes the terminal
/// away, as if the cable were pulled: the path is gone, and no other terminal gets it until
/// the next open() or the end of this object.
class SimPty : public QObject
{
    Q_OBJECT
public:
    explicit SimPty(SwitcherDevice &device, QObject *parent = nullptr);
    ~SimPty() override;

    /// Creates the terminal pair, sets the slave side raw at 19200 baud; false on an error
    /// (errorString() says which).
    bool open();
    void close();
    bool isOpen() const { return m_master >= 0; }
    QString slavePath() const { return m_slavePath; }
    QString errorString() const { return m_error; }

signals:
    /// The master side failed (read or write error); the terminal has been closed.
    void failed(const QString &reason);

private:
    void readMaster();
    void write(const QByteArray &bytes);
    void flushPending();
    bool fail(const QString &what);
    void releaseSlave();

    SwitcherDevice &m_device;
    int m_master = -1;
    // The simulator keeps one descriptor of the slave open itself: without any open slave the
    // master reports a hang-up on every poll, and the raw line settings would be lost. It
    // outlives close() to keep the terminal's number reserved.
    int m_slave = -1;
    QString m_slavePath;
    QString m_error;
    QByteArray m_pending;
    // Children of this object; close() may run inside their own signal, so they are
    // disabled and deleted later rather than at once.
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
};
