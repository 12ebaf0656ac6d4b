#include "ui/KXGauge.h"

#include "ui/Dialogs.h"

#include <QPainter>
#include <QPalette>

#include <algorithm>

namespace {

// The share of `span` that the progress covers. The range is MaxValue - MinValue and the
// progress counts from MinValue, so a gauge with a lower bound above 0 still runs from empty
// to full. A bound changed after Progress was set may leave Progress outside the range;
// the result is clamped so the bar never leaves the frame and the text never exceeds 100%.
int share(qint64 span, int progress, int minValue, int maxValue)
{
    const qint64 range = qint64(maxValue) - minValue;
    if (range <= 0 || span <= 0)
        return 0;
    const qint64 done = std::clamp<qint64>(qint64(progress) - minValue, 0, range);
    return int(span * done / range);
}

} // namespace

TKXGauge::TKXGauge(Dialogs &dialogs, QWidget *parent)
    : QWidget(parent), m_dialogs(dialogs),
      m_frame3DTopColor(palette().color(QPalette::Active, QPalette::Shadow))
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    resize(DefaultWidth, DefaultHeight);
    updateAccessibility();
}

void TKXGauge::setOutLine(TOutLine value)
{
    m_outLine = value;
    update();
}

void TKXGauge::setTransparent(bool value)
{
    m_transparent = value;
    // A transparent gauge leaves its background to the parent, so Qt must paint that first.
    setAttribute(Qt::WA_OpaquePaintEvent, !m_transparent);
    update();
}

void TKXGauge::setCaption(const QString &value)
{
    if (value == m_caption)
        return;
    m_caption = value;
    updateAccessibility();
    update();
}

void TKXGauge::setTxtAlign(TTxtAlign value)
{
    if (value == m_txtAlign)
        return;
    m_txtAlign = value;
    update();
}

void TKXGauge::setShowText(bool value)
{
    if (value == m_showText)
        return;
    m_showText = value;
    update();
}

void TKXGauge::setShowPercent(bool value)
{
    if (value == m_showPercent)
        return;
    m_showPercent = value;
    update();
}

bool TKXGauge::setProgress(int value)
{
    if (value < 0) {
        refuse(QStringLiteral("Value must be greater than 0."));
        return false;
    }
    if (value < m_minValue) {
        refuse(QStringLiteral("Value is less than MinValue."));
        return false;
    }
    if (value > m_maxValue) {
        refuse(QStringLiteral("Value is greater than MaxValue."));
        return false;
    }
    if (value == m_progress)
        return true;
    m_progress = value;
    updateAccessibility();
    repaint();
    return true;
}

void TKXGauge::setFrontColor(const QColor &value)
{
    if (value == m_frontColor)
        return;
    m_frontColor = value;
    update();
}

void TKXGauge::setBackColor(const QColor &value)
{
    if (value == m_backColor)
        return;
    m_backColor = value;
    update();
}

void TKXGauge::setBorderColor(const QColor &value)
{
    if (value == m_borderColor)
        return;
    m_borderColor = value;
    update();
}

void TKXGauge::setFrame3DTopColor(const QColor &value)
{
    if (value == m_frame3DTopColor)
        return;
    m_frame3DTopColor = value;
    update();
}

void TKXGauge::setFrame3DBottomColor(const QColor &value)
{
    if (value == m_frame3DBottomColor)
        return;
    m_frame3DBottomColor = value;
    update();
}

bool TKXGauge::setMinValue(int value)
{
    if (value < 0) {
        refuse(QStringLiteral("Value must be greater than 0."));
        return false;
    }
    if (value >= m_maxValue) {
        refuse(QStringLiteral("Value is greater than or equal to MaxValue."));
        return false;
    }
    if (value == m_minValue)
        return true;
    m_minValue = value;
    updateAccessibility();
    update();
    return true;
}

bool TKXGauge::setMaxValue(int value)
{
    if (value < 0) {
        refuse(QStringLiteral("Value must be greater than 0."));
        return false;
    }
    if (value <= m_minValue) {
        refuse(QStringLiteral("Value is less than or equal to MinValue."));
        return false;
    }
    if (value == m_maxValue)
        return true;
    m_maxValue = value;
    updateAccessibility();
    update();
    return true;
}

int TKXGauge::percent() const
{
    return share(100, m_progress, m_minValue, m_maxValue);
}

QString TKXGauge::displayText() const
{
    if (!m_showText)
        return {};
    if (!m_showPercent)
        return m_caption;
    const QString number = QString::number(percent()) + QLatin1Char('%');
    return m_caption.isEmpty() ? number : m_caption + QLatin1Char(' ') + number;
}

QImage TKXGauge::renderToImage() const
{
    QImage image(size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paintGauge(painter);
    return image;
}

QSize TKXGauge::sizeHint() const
{
    return {DefaultWidth, DefaultHeight};
}

QSize TKXGauge::minimumSizeHint() const
{
    return {DefaultHeight, DefaultHeight};
}

void TKXGauge::paintEvent(QPaintEvent *)
{
    // Everything is drawn into a buffer first and copied in one go, so the frame, bar and
    // two text passes never show half-drawn.
    const qreal ratio = devicePixelRatioF();
    const QSize needed = size() * ratio;
    if (m_buffer.width() < needed.width() || m_buffer.height() < needed.height() ||
        m_buffer.devicePixelRatio() != ratio) {
        m_buffer = QPixmap(needed.expandedTo(m_buffer.size()));
        m_buffer.setDevicePixelRatio(ratio);
    }
    if (m_transparent)
        m_buffer.fill(Qt::transparent);
    {
        QPainter bufferPainter(&m_buffer);
        paintGauge(bufferPainter);
    }
    QPainter painter(this);
    painter.drawPixmap(QPoint(0, 0), m_buffer);
}

void TKXGauge::paintGauge(QPainter &painter) const
{
    QRect r = rect();
    if (r.isEmpty())
        return;
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setFont(font());

    if (m_outLine == ol3D) {
        // Top and left edge in the top colour; the right and bottom edges, corners
        // included, in the bottom colour.
        painter.setPen(m_frame3DTopColor);
        painter.drawLine(r.left(), r.top(), r.right() - 1, r.top());
        painter.drawLine(r.left(), r.top(), r.left(), r.bottom() - 1);
        painter.setPen(m_frame3DBottomColor);
        painter.drawLine(r.right(), r.top(), r.right(), r.bottom());
        painter.drawLine(r.left(), r.bottom(), r.right(), r.bottom());
        r.adjust(1, 1, -1, -1);
        if (!m_transparent && !r.isEmpty())
            painter.fillRect(r, m_backColor);
    } else {
        if (!m_transparent)
            painter.fillRect(r, m_backColor);
        painter.setPen(m_borderColor);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(r.adjusted(0, 0, -1, -1));
        r.adjust(1, 1, -1, -1);
    }
    if (r.isEmpty())
        return;

    const QRect bar(r.left(), r.top(), barWidth(r.width()), r.height());
    if (!bar.isEmpty())
        painter.fillRect(bar, m_frontColor);

    const QString text = displayText();
    if (text.isEmpty())
        return;
    int flags = Qt::TextSingleLine | Qt::AlignVCenter;
    switch (m_txtAlign) {
    case ttaLEFT:
        flags |= Qt::AlignLeft;
        break;
    case ttaCENTER:
        flags |= Qt::AlignHCenter;
        break;
    case ttaRIGHT:
        flags |= Qt::AlignRight;
        break;
    }
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(r, flags, text);
    if (bar.isEmpty())
        return;
    // The same text again, limited to the bar, so what lies over the bar reads in the
    // background colour.
    painter.save();
    painter.setClipRect(bar);
    painter.setPen(m_backColor);
    painter.drawText(r, flags, text);
    painter.restore();
}

int TKXGauge::barWidth(int innerWidth) const
{
    return share(innerWidth, m_progress, m_minValue, m_maxValue);
}

void TKXGauge::refuse(const QString &message)
{
    m_dialogs.error(this, message, QStringLiteral("Error"));
}

QString TKXGauge::accessibleValue() const
{
    const QString number = QString::number(percent()) + QLatin1Char('%');
    return m_caption.isEmpty() ? number : m_caption + QLatin1Char(' ') + number;
}

std::optional<AccessibleValue::Range> TKXGauge::accessibleRange() const
{
    return Range{m_progress, m_minValue, m_maxValue};
}

void TKXGauge::updateAccessibility()
{
    setAccessibleName(m_caption.isEmpty() ? QStringLiteral("Progress") : m_caption);
    setAccessibleDescription(QString::number(percent()) + QLatin1Char('%'));
    AnnounceValueChange(this, m_announced);
    m_announced = accessibleValue();
}
