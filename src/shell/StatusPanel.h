#pragma once

/// The five panels of the main window's status bar, by what they show.
enum class StatusPanel : int {
    Connection = 1, ///< the connection state
    Operation = 2,  ///< the running operation's progress or failure (drawn by the program)
    Hint = 3,       ///< refusals and hints
    Clock = 4,      ///< date and time
    Spare = 5,      ///< unused
};

inline constexpr int StatusPanelCount = 5;
