#pragma once

#include <QString>
#include <QStringList>

/// One preset: its name and the input numbers of outputs 1..4 as stored (further parts are
/// kept as they are).
struct PresetRow
{
    QString name;
    QStringList routing;

    bool operator==(const PresetRow &) const = default;
};
