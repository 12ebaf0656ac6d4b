#include "ui/ShellPictures.h"

#include <QPainter>
#include <QPainterPath>

namespace {

QPixmap blank(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// One plug half: a body with two pins, facing right, drawn around the origin.
void drawPlug(QPainter &painter, const QColor &body)
{
    painter.setPen(QPen(Qt::black, 1.0));
    painter.setBrush(body);
    painter.drawRoundedRect(QRectF(-8, -6, 9, 12), 2, 2);
    painter.setBrush(QColor(200, 200, 200));
    painter.drawRect(QRectF(1, -4.5, 5, 2));
    painter.drawRect(QRectF(1, 2.5, 5, 2));
    painter.setPen(QPen(Qt::black, 2.0));
    painter.drawLine(QPointF(-8, 0), QPointF(-14, 0));
}

} // namespace

QPixmap ShellPictures::connectionOpen(int size)
{
    QPixmap pixmap = blank(size);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 33.0, size / 33.0);
    painter.setPen(QPen(QColor(0, 128, 0), 1.5));
    painter.setBrush(QColor(200, 240, 200));
    painter.drawEllipse(QRectF(1, 1, 31, 31));
    painter.translate(13.5, 16.5);
    drawPlug(painter, QColor(0, 160, 0));
    painter.translate(6, 0);
    painter.scale(-1, 1);
    drawPlug(painter, QColor(0, 160, 0));
    return pixmap;
}

QPixmap ShellPictures::connectionClosed(int size)
{
    QPixmap pixmap = blank(size);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 33.0, size / 33.0);
    painter.setPen(QPen(QColor(160, 0, 0), 1.5));
    painter.setBrush(QColor(245, 215, 215));
    painter.drawEllipse(QRectF(1, 1, 31, 31));
    painter.save();
    painter.translate(10.5, 16.5);
    drawPlug(painter, QColor(128, 128, 128));
    painter.restore();
    painter.translate(22.5, 16.5);
    painter.scale(-1, 1);
    drawPlug(painter, QColor(128, 128, 128));
    return pixmap;
}

QPixmap ShellPictures::arrow(bool pointsRight, int size)
{
    QPixmap pixmap = blank(size);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    QPainterPath path;
    if (pointsRight) {
        path.moveTo(s * 0.25, s * 0.15);
        path.lineTo(s * 0.8, s * 0.5);
        path.lineTo(s * 0.25, s * 0.85);
    } else {
        path.moveTo(s * 0.75, s * 0.15);
        path.lineTo(s * 0.2, s * 0.5);
        path.lineTo(s * 0.75, s * 0.85);
    }
    path.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 128));
    painter.drawPath(path);
    return pixmap;
}
