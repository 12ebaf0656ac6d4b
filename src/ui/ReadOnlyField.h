#pragma once

#include "ui/AccessibleValue.h"

#include <QLineEdit>

/// A text field the operator reads but never edits (a port tag). It looks like a label (the
/// button face behind its text) and is read-only, not editable, to assistive technology,
/// which reads its label as its name and its text as its value.
class ReadOnlyField : public QLineEdit, public AccessibleValue
{
    Q_OBJECT
public:
    explicit ReadOnlyField(QWidget *parent = nullptr);

    QString accessibleValue() const override { return text(); }
    bool namedByValue() const override { return false; }

protected:
    void changeEvent(QEvent *event) override;

private:
    void showButtonFace();
};
