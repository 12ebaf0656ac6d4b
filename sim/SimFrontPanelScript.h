#pragma once

#include <QByteArrayView>
#include <QString>

#include <chrono>
#include <optional>
#include <vector>

/// One change made at the switcher itself: after `delay` (counted from the step before, or
/// from the start for the first step) input `input` is routed to output `output`.
struct SimFrontPanelStep
{
    std::chrono::milliseconds delay{0};
    int output = 0;
    int input = 0;
    friend bool operator==(const SimFrontPanelStep &, const SimFrontPanelStep &) = default;
};

/// The front-panel script of matrix-sim: one step per line, "MS route OUTPUT INPUT", fields
/// separated by blanks. Blank lines and lines starting with "#" are skipped. MS is 0..600000,
/// OUTPUT and INPUT are ports 1..`ports`.
namespace SimFrontPanelScript {

inline constexpr qint64 MaxFileBytes = 64 * 1024;
inline constexpr int MaxDelayMs = 600'000;

/// The steps of a script text; nullopt and an error naming the line on the first bad line.
std::optional<std::vector<SimFrontPanelStep>> Parse(QByteArrayView text, int ports, QString *error);
/// Reads a script file of at most MaxFileBytes and parses it.
std::optional<std::vector<SimFrontPanelStep>> Load(const QString &path, int ports, QString *error);

} // namespace SimFrontPanelScript
