#pragma once

#include "ui/AccessibleValue.h"

#include <QLabel>

/// A label that shows a changing value (a status text, a device line). Assistive technology
/// reads its text as its name and hears every change.
class ValueLabel : public QLabel, public AccessibleValue
{
    Q_OBJECT
public:
    using QLabel::QLabel;

    /// Shows `text` and announces the change.
    void showText(const QString &text);
    QString accessibleValue() const override { return text(); }
};
