#pragma once

#include <QString>
#include <QStringList>

#include <optional>

/// The stored form of a preset's routing: the input numbers of outputs 1, 2, 3, ... joined
/// by ",". Only the first four parts are routings; further parts are kept as they are.
class PresetValue
{
public:
    static constexpr int RoutedOutputs = 4;

    /// Splits a stored value at commas and blanks. A value with fewer than four parts is
    /// filled up with "1", "2", "3", "4" in turn, so "3,4" gives 3,4,1,2 and "" gives 1,2,3,4.
    static QStringList parse(const QString &value);
    /// The parts joined by ",", without a trailing comma.
    static QString join(const QStringList &parts);
    /// The input number a part names, when it is a decimal integer (blanks around it allowed).
    static std::optional<int> number(const QString &part);
    /// The input a part names when it is one of the switcher's inputs 1..4.
    static std::optional<int> routedInput(const QString &part);
};
