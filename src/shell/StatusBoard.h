#pragma once

#include "shell/StatusPanel.h"

#include <QObject>
#include <QString>

#include <array>

struct ProgramFlags;
class WaitClock;

/// What the status bar shows, without the bar: the text of each panel and whether the
/// operation panel is drawn normally or inverted (white on red). A failure blinks: the
/// operation panel inverts five times, 350 ms apart, and the caller waits for it on purpose,
/// so that the operator sees the failure before the operation goes on.
class StatusBoard : public QObject
{
    Q_OBJECT
public:
    StatusBoard(ProgramFlags &flags, WaitClock &clock, QObject *parent = nullptr);

    /// Writes a panel; only the operation panel blinks.
    void show(StatusPanel panel, const QString &text, bool blink = false);
    /// A program without a window does not hold its thread for a blink nobody sees.
    void setBlinking(bool on) { m_blinking = on; }
    QString text(StatusPanel panel) const;
    /// False while the operation panel is inverted.
    bool normal() const { return m_normal; }

signals:
    /// A panel's text or colours changed. With `paintNow` the bar is to paint at once: the
    /// operation panel's texts are seen while the thread is busy.
    void changed(StatusPanel panel, bool paintNow);

private:
    void set(StatusPanel panel, const QString &text, bool paintNow);

    ProgramFlags &m_flags;
    WaitClock &m_clock;
    std::array<QString, StatusPanelCount> m_texts;
    bool m_normal = true;
    bool m_blinking = true;
};
