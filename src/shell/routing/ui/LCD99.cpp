#include "shell/routing/ui/LCD99.h"

#include <QPalette>

#include <algorithm>

TLCD99::TLCD99(QWidget *parent) : QLCDNumber(parent)
{
    setSegmentStyle(QLCDNumber::Filled);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setAutoFillBackground(true);
    paintSegments();
    refresh();
}

void TLCD99::paintSegments()
{
    const QColor lit = m_dimmed ? QColor(112, 0, 0) : QColor(Qt::red);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::black);
    colours.setColor(QPalette::WindowText, lit);
    colours.setColor(QPalette::Light, lit);
    colours.setColor(QPalette::Dark, QColor(96, 0, 0));
    setPalette(colours);
}

void TLCD99::setDimmed(bool dimmed)
{
    if (dimmed == m_dimmed)
        return;
    m_dimmed = dimmed;
    paintSegments();
}

void TLCD99::setDigitCount(int places)
{
    m_places = std::max(1, places);
    refresh();
}

void TLCD99::setText(const QString &text)
{
    const QString before = accessibleValue();
    m_text = text;
    refresh();
    AnnounceValueChange(this, before);
}

QString TLCD99::accessibleValue() const
{
    const QString input = QStringLiteral("Input ") + m_text;
    return accessibleName().isEmpty() ? input : accessibleName() + QStringLiteral(": ") + input;
}

void TLCD99::refresh()
{
    QLCDNumber::setDigitCount(std::max(m_places, int(m_text.size())));
    display(m_text);
}
