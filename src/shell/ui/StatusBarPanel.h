#pragma once

#include "ui/ValueLabel.h"

#include <QElapsedTimer>

#include <functional>

class QPainter;

/// One panel of the main window's status bar. A panel either shows its text plainly or leaves
/// the drawing to its owner (the operation panel, whose colours change); either way assistive
/// technology reads the text it shows. A text longer than the panel ends in "…" and shows
/// whole in the panel's tool tip.
class StatusBarPanel : public ValueLabel
{
    Q_OBJECT
public:
    using Drawer = std::function<void(QPainter &painter, const QRect &rect)>;

    /// A panel of fixed width.
    StatusBarPanel(int width, Qt::Alignment alignment, QWidget *parent = nullptr);

    /// The panel takes the room the other panels leave, at least `minimumWidth`.
    void setStretching(int minimumWidth);
    /// The owner paints the whole panel; the panel draws nothing itself.
    void setDrawer(Drawer drawer) { m_drawer = std::move(drawer); }
    /// The text as it fits the panel now.
    QString fittedText() const;
    /// Shows a new text on the screen now, or, when the panel was painted less than a display
    /// frame ago, at the next turn of the event loop: a busy thread's waits run events, and no
    /// screen would have shown the text sooner.
    void paintSoon();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Drawer m_drawer;
    QElapsedTimer m_painted;
};
