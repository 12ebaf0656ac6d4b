#include "shell/StatusBoard.h"

#include "link/Commands.h"
#include "link/WaitClock.h"

#include <chrono>

using namespace std::chrono_literals;

namespace {

constexpr auto BlinkStep = 350ms;
constexpr int BlinkInversions = 5;

std::size_t indexOf(StatusPanel panel)
{
    return std::size_t(int(panel) - 1);
}

} // namespace

StatusBoard::StatusBoard(ProgramFlags &flags, WaitClock &clock, QObject *parent)
    : QObject(parent), m_flags(flags), m_clock(clock)
{
}

QString StatusBoard::text(StatusPanel panel) const
{
    return m_texts[indexOf(panel)];
}

void StatusBoard::set(StatusPanel panel, const QString &text, bool paintNow)
{
    m_texts[indexOf(panel)] = text;
    emit changed(panel, paintNow);
}

void StatusBoard::show(StatusPanel panel, const QString &text, bool blink)
{
    if (panel != StatusPanel::Operation) {
        if (m_texts[indexOf(panel)] != text)
            set(panel, text, false);
        return;
    }
    m_normal = true;
    if (!blink || !m_blinking) {
        set(panel, text, true);
        return;
    }
    if (m_flags.StopRequested)
        return;
    set(panel, text, true);
    m_clock.sleep(BlinkStep);
    for (int i = 0; i < BlinkInversions; ++i) {
        m_normal = !m_normal;
        set(panel, text, true);
        m_clock.sleep(BlinkStep);
    }
}
