#pragma once

#include <QObject>
#include <QString>

/// Gives a control its component name and the name screen readers announce.
template <typename T> T *named(T *widget, const QString &objectName, const QString &accessibleName)
{
    widget->setObjectName(objectName);
    widget->setAccessibleName(accessibleName);
    return widget;
}

template <typename T> T *named(T *widget, const char *objectName, const QString &accessibleName)
{
    return named(widget, QString::fromLatin1(objectName), accessibleName);
}
