#pragma once

// Spread of repeated measurements, shared by the bench programs.

#include <QStringList>

#include <algorithm>
#include <cstddef>
#include <vector>

struct Spread
{
    double min = 0;
    double p10 = 0;
    double median = 0;
    double p90 = 0;
    double p99 = 0;
};

/// Nearest-rank percentiles of `values` (empty: all zero).
inline Spread SpreadOf(std::vector<double> values)
{
    if (values.empty())
        return {};
    std::sort(values.begin(), values.end());
    const auto at = [&values](double fraction) {
        const auto index = std::size_t(fraction * double(values.size() - 1) + 0.5);
        return values[std::min(index, values.size() - 1)];
    };
    return {values.front(), at(0.10), at(0.50), at(0.90), at(0.99)};
}

/// Ratio of two figures, 0 when the floor is 0.
inline double RatioOf(double value, double floor)
{
    return floor > 0 ? value / floor : 0.0;
}

/// Takes a leading "--runs N" off `args`; `fallback` when it is not there.
inline int TakeRuns(QStringList &args, int fallback)
{
    if (args.size() < 2 || args[0] != QLatin1String("--runs"))
        return fallback;
    const int runs = std::max(1, args[1].toInt());
    args = args.mid(2);
    return runs;
}
