#pragma once

#include <QTest>

/// The line a test reaches the simulated switcher over: a pseudo-terminal in serial control
/// mode, or loopback TCP in TCP control mode.
enum class TestLine { Pty, Tcp };

/// A test's data: a column "line" with a row for each line.
inline void AddLineRows()
{
    QTest::addColumn<TestLine>("line");
    QTest::newRow("pty") << TestLine::Pty;
    QTest::newRow("tcp") << TestLine::Tcp;
}
