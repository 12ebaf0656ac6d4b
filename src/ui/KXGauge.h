#pragma once

#include "ui/AccessibleValue.h"

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QString>
#include <QWidget>

class Dialogs;
class QPainter;

/// The program's own progress bar: a flat or 3-D frame, a bar proportional to `Progress`
/// and an optional text that is drawn in the background colour where it lies over the bar
/// and in the font colour (the palette's WindowText) elsewhere.
///
/// Values are written through the setters; a refused value is reported in an "Error"
/// message box and the property keeps its old value. Assistive technology reads the caption
/// with the percent, and the progress as a number.
class TKXGauge : public QWidget, public AccessibleValue
{
    Q_OBJECT
    Q_PROPERTY(TOutLine OutLine READ OutLine WRITE setOutLine)
    Q_PROPERTY(bool Transparent READ Transparent WRITE setTransparent)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(TTxtAlign TxtAlign READ TxtAlign WRITE setTxtAlign)
    Q_PROPERTY(bool ShowText READ ShowText WRITE setShowText)
    Q_PROPERTY(bool ShowPercent READ ShowPercent WRITE setShowPercent)
    Q_PROPERTY(int Progress READ Progress WRITE setProgress)
    Q_PROPERTY(QColor FrontColor READ FrontColor WRITE setFrontColor)
    Q_PROPERTY(QColor BackColor READ BackColor WRITE setBackColor)
    Q_PROPERTY(QColor BorderColor READ BorderColor WRITE setBorderColor)
    Q_PROPERTY(QColor Frame3DTopColor READ Frame3DTopColor WRITE setFrame3DTopColor)
    Q_PROPERTY(QColor Frame3DBottomColor READ Frame3DBottomColor WRITE setFrame3DBottomColor)
    Q_PROPERTY(int MinValue READ MinValue WRITE setMinValue)
    Q_PROPERTY(int MaxValue READ MaxValue WRITE setMaxValue)

public:
    enum TOutLine { ol3D, olFLAT };
    Q_ENUM(TOutLine)
    enum TTxtAlign { ttaLEFT, ttaCENTER, ttaRIGHT };
    Q_ENUM(TTxtAlign)

    static constexpr int DefaultWidth = 300;
    static constexpr int DefaultHeight = 24;

    explicit TKXGauge(Dialogs &dialogs, QWidget *parent = nullptr);

    TOutLine OutLine() const { return m_outLine; }
    bool Transparent() const { return m_transparent; }
    QString Caption() const { return m_caption; }
    TTxtAlign TxtAlign() const { return m_txtAlign; }
    bool ShowText() const { return m_showText; }
    bool ShowPercent() const { return m_showPercent; }
    int Progress() const { return m_progress; }
    QColor FrontColor() const { return m_frontColor; }
    QColor BackColor() const { return m_backColor; }
    QColor BorderColor() const { return m_borderColor; }
    QColor Frame3DTopColor() const { return m_frame3DTopColor; }
    QColor Frame3DBottomColor() const { return m_frame3DBottomColor; }
    int MinValue() const { return m_minValue; }
    int MaxValue() const { return m_maxValue; }

    void setOutLine(TOutLine value);
    void setTransparent(bool value);
    void setCaption(const QString &value);
    void setTxtAlign(TTxtAlign value);
    void setShowText(bool value);
    void setShowPercent(bool value);
    /// Returns false when the value was refused (the message box has been shown).
    bool setProgress(int value);
    void setFrontColor(const QColor &value);
    void setBackColor(const QColor &value);
    void setBorderColor(const QColor &value);
    void setFrame3DTopColor(const QColor &value);
    void setFrame3DBottomColor(const QColor &value);
    /// Returns false when the value was refused (the message box has been shown).
    bool setMinValue(int value);
    /// Returns false when the value was refused (the message box has been shown).
    bool setMaxValue(int value);

    /// Whole percent shown for the current value, 0..100.
    int percent() const;
    /// The text the gauge writes; empty when it writes none.
    QString displayText() const;
    /// Draws the gauge exactly as on screen into an image of the widget's size.
    QImage renderToImage() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    QString accessibleValue() const override;
    std::optional<Range> accessibleRange() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void paintGauge(QPainter &painter) const;
    int barWidth(int innerWidth) const;
    void refuse(const QString &message);
    void updateAccessibility();

    Dialogs &m_dialogs;
    QPixmap m_buffer;
    QString m_announced;

    TOutLine m_outLine = olFLAT;
    bool m_transparent = false;
    QString m_caption = QStringLiteral("KXGauge");
    TTxtAlign m_txtAlign = ttaCENTER;
    bool m_showText = true;
    bool m_showPercent = true;
    int m_progress = 0;
    QColor m_frontColor = Qt::black;
    QColor m_backColor = Qt::white;
    QColor m_borderColor = Qt::black;
    QColor m_frame3DTopColor;
    QColor m_frame3DBottomColor = Qt::white;
    int m_minValue = 0;
    int m_maxValue = 100;
};
