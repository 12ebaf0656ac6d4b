#pragma once

#include <QLabel>

#include <functional>

class QPainter;

/// One fixed-width panel of the main window's status bar. A panel either shows its text
/// plainly or leaves the drawing to its owner (the operation panel, whose colours change).
class StatusBarPanel : public QLabel
{
    Q_OBJECT
public:
    using Drawer = std::function<void(QPainter &painter, const QRect &rect)>;

    StatusBarPanel(int width, Qt::Alignment alignment, QWidget *parent = nullptr);

    /// The owner paints the whole panel; the panel draws nothing itself.
    void setDrawer(Drawer drawer) { m_drawer = std::move(drawer); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Drawer m_drawer;
};
