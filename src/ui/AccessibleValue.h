#pragma once

#include <QString>

#include <optional>

class QAbstractItemView;
class QWidget;

/// A control that shows a changing value to the eye (a status panel, a digit display, a
/// status line, a gauge). Assistive technology reads the value as the control's name and text.
class AccessibleValue
{
public:
    /// The numeric side of a value, for controls that show a position in a range.
    struct Range
    {
        int current = 0;
        int minimum = 0;
        int maximum = 100;
    };

    virtual ~AccessibleValue() = default;
    /// The words a reader should hear for what the control shows now; empty when it shows
    /// nothing.
    virtual QString accessibleValue() const = 0;
    virtual std::optional<Range> accessibleRange() const { return std::nullopt; }
    /// Whether the value is the control's name (a status text); otherwise the control's
    /// accessible name stays its name (a field named by its label).
    virtual bool namedByValue() const { return true; }
};

/// Tells assistive technology that `widget`'s value changed from `before` (name, text and
/// value events). Call after the control shows the new value.
void AnnounceValueChange(QWidget *widget, const QString &before);

/// Tells assistive technology that the cell at `row`, `column` of `view` now shows another
/// text (name and value events of the cell).
void AnnounceCellChange(QAbstractItemView *view, int row, int column);
