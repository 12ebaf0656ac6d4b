#pragma once

#include <QObject>
#include <QString>
#include <QTest>

/// The child of `root` with that object name; fails the test (and returns null) when there
/// is none. Tests reach a page's controls the way desktop automation does: by name.
template <typename T> T *Child(const QObject *root, const char *name)
{
    T *found = root ? root->findChild<T *>(QLatin1String(name)) : nullptr;
    if (!found)
        QTest::qFail(qPrintable(QStringLiteral("no control named ") + QLatin1String(name)),
                     __FILE__, __LINE__);
    return found;
}
