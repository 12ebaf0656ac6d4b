#pragma once

#include "ui/AccessibleValue.h"

#include <QLCDNumber>
#include <QString>

/// A seven-segment digit display, red segments on black, that shows a decimal text. It
/// keeps the text it was given, so the number shown can be read back; a text longer than
/// the display's digit places widens the display rather than losing its leading digits.
/// Assistive technology reads it as its accessible name (the output) and the input it shows:
/// "Output1: Input 3".
class TLCD99 : public QLCDNumber, public AccessibleValue
{
    Q_OBJECT
public:
    explicit TLCD99(QWidget *parent = nullptr);

    /// The number of digit places when the text fits.
    void setDigitCount(int places);
    int digitPlaces() const { return m_places; }

    void setText(const QString &text);
    QString text() const { return m_text; }
    QString accessibleValue() const override;

    /// Dimmed segments: a number not confirmed yet.
    void setDimmed(bool dimmed);
    bool dimmed() const { return m_dimmed; }

private:
    void refresh();
    void paintSegments();

    int m_places = 4;
    QString m_text = QStringLiteral("8");
    bool m_dimmed = false;
};
