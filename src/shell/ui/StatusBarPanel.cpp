#include "shell/ui/StatusBarPanel.h"

#include <QPainter>

StatusBarPanel::StatusBarPanel(int width, Qt::Alignment alignment, QWidget *parent) : QLabel(parent)
{
    setFixedWidth(width);
    setAlignment(alignment | Qt::AlignVCenter);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setTextFormat(Qt::PlainText);
    // A long status text must not widen the panel (and with it the fixed-size window).
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
}

void StatusBarPanel::paintEvent(QPaintEvent *event)
{
    if (!m_drawer) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    m_drawer(painter, contentsRect());
}
