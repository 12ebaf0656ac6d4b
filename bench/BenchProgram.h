#pragma once

// What the bench programs need to run the controller's parts outside the program: a
// simulator process of the build, the one serial port it offers, and dialogs nobody answers.

#include "shell/connection/PortLister.h"
#include "ui/Dialogs.h"

#include <QCoreApplication>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <utility>

/// One matrix-sim process of this build, serving a pseudo-terminal (and whatever else its
/// arguments ask for); it prints the terminal's path first.
class SimProcess
{
public:
    ~SimProcess()
    {
        m_process.kill();
        m_process.waitForFinished();
    }

    /// Starts it with `--pty` and `arguments`; false, with the reason on stderr, if it did not
    /// come up.
    bool start(const QStringList &arguments = {})
    {
        const QString path =
            QCoreApplication::applicationDirPath() + QStringLiteral("/../matrix-sim");
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(path, QStringList{QStringLiteral("--pty")} + arguments);
        if (!m_process.waitForStarted() || !m_process.waitForReadyRead(5000)) {
            std::fprintf(stderr, "cannot start %s\n", qPrintable(path));
            return false;
        }
        m_ptyPath = QString::fromLocal8Bit(m_process.readLine()).trimmed();
        // Nothing more is read from it: its pipe must not join the event loop being measured.
        m_process.closeReadChannel(QProcess::StandardOutput);
        return true;
    }

    QString ptyPath() const { return m_ptyPath; }
    qint64 pid() const { return m_process.processId(); }

private:
    QProcess m_process;
    QString m_ptyPath;
};

/// The serial ports of a bench: the simulator's terminal alone.
class OnePort final : public PortLister
{
public:
    explicit OnePort(QString name) : m_name(std::move(name)) {}
    QStringList ports() const override { return {m_name}; }

private:
    QString m_name;
};

/// Dialogs that never block: a bench expects none, and counts and names any that come.
class BenchDialogs final : public Dialogs
{
public:
    void information(QWidget *, const QString &text) override { note(text); }
    void error(QWidget *, const QString &text, const QString &) override { note(text); }
    bool confirm(QWidget *, const QString &text) override
    {
        note(text);
        return false;
    }
    QString openFile(QWidget *, const QString &) override { return {}; }
    QString saveFile(QWidget *, const QString &) override { return {}; }
    int showModal(QDialog *) override { return 0; }

    int shown = 0;

private:
    void note(const QString &text)
    {
        ++shown;
        std::fprintf(stderr, "unexpected dialog: %s\n", qPrintable(text));
    }
};
