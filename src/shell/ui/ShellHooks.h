#pragma once

#include "link/Commands.h"

#include <QString>

#include <functional>

/// The places where the features of the other pages plug into the main window. Each feature
/// sets its entries when it is created (inside the main window's construction); an entry that
/// is not set is skipped.
struct ShellHooks
{
    // Settings file.
    std::function<void()> LoadSettings;
    /// Returns false when the file could not be written (the error has been shown).
    std::function<bool()> SaveSettings;

    // Port tags.
    std::function<void()> ClearPortTags;
    std::function<void(TControlMode mode, const QString &mac)> LoadPortTags;

    // Network device list: the selection step that sets CurrentDeviceMAC and DeviceIP.
    std::function<void()> cbLANDeviceChange;

    // Window start: what the pages prepare when the window is first shown.
    std::function<void()> SetDisplayDigits;   // digit displays of outputs 1-4 to one place
    std::function<void()> FixPresetColumns;   // preset list column widths
    std::function<void()> ShowEmptyEDIDData;  // EDID grid headers, no data
    std::function<void()> BuildEDIDPortLists; // EDID page port lists from the tags
    std::function<void()> ResetDeviceInfo;    // device information lines to "Not known"

    /// Search progress forwarded to the search window (its notification 3024).
    std::function<void(qint64 wParam, qint64 lParam, const QString &text)> SearchNotify;
};
