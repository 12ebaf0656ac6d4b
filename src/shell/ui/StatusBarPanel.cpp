#include "shell/ui/StatusBarPanel.h"

#include <QPainter>
#include <QStyle>

StatusBarPanel::StatusBarPanel(int width, Qt::Alignment alignment, QWidget *parent)
    : ValueLabel(parent)
{
    setFixedWidth(width);
    setAlignment(alignment | Qt::AlignVCenter);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setTextFormat(Qt::PlainText);
    // A long status text must not widen the panel (and with it the window).
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
}

void StatusBarPanel::setStretching(int minimumWidth)
{
    setMinimumWidth(minimumWidth);
    setMaximumWidth(QWIDGETSIZE_MAX);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

QString StatusBarPanel::fittedText() const
{
    return fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width());
}

void StatusBarPanel::paintSoon()
{
    constexpr qint64 DisplayFrameMs = 16;
    if (m_painted.isValid() && m_painted.elapsed() < DisplayFrameMs)
        update();
    else
        repaint();
}

void StatusBarPanel::paintEvent(QPaintEvent *event)
{
    m_painted.start();
    const QString fitted = fittedText();
    const QString tip = fitted == text() ? QString() : text();
    if (toolTip() != tip)
        setToolTip(tip);
    if (m_drawer) {
        QPainter painter(this);
        m_drawer(painter, contentsRect());
        return;
    }
    QFrame::paintEvent(event);
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect(), int(alignment()), palette(), isEnabled(),
                          fitted, foregroundRole());
}
