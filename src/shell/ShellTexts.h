#pragma once

#include <QString>

// Texts that several parts of the program show.
namespace ShellTexts {

inline QString Busy()
{
    return QStringLiteral("In processing, command ignored");
}
inline QString Done()
{
    return QStringLiteral("Done");
}
inline QString PleaseSelectItem()
{
    return QStringLiteral("Please select item.");
}

} // namespace ShellTexts
