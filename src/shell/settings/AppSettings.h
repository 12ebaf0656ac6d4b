#pragma once

#include "link/Commands.h"
#include "shell/porttags/PortTagStore.h"
#include "shell/presets/PresetRow.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

/// The EDID page's choices as stored: the texts of its six lists and its two file paths.
struct EdidSelections
{
    enum List { Mode, ModeInput, CopyOutput, CopyInput, ReadOutput, DownloadInput, ListCount };
    std::array<QString, ListCount> lists;
    QString saveFile;
    QString openFile;

    bool operator==(const EdidSelections &) const = default;
};

/// Everything Settings.ini holds for the program, as a value. Reading and writing it needs no
/// window, so the command-line programs share the desktop program's file.
struct AppSettings
{
    static constexpr int PresetCount = 8;

    bool lanMode = false;
    QString comPort;
    /// The selected network device's entry, and all known entries in their order.
    QString device;
    QStringList devices;
    QList<PresetRow> presets;
    /// The name vocabularies of the tag editor.
    QStringList inputNames;
    QStringList outputNames;
    EdidSelections edid;
    bool displayTag = false;

    /// The port tags in use when saving, and the set they belong to. Reading leaves it empty
    /// (the tags are read per set, PortTagStore::load); writing without it leaves every tag
    /// section as it is.
    struct TagsInUse
    {
        TControlMode mode = cmCOM;
        QString mac = QLatin1String(NoDeviceMACText);
        PortTagSet tags;

        bool operator==(const TagsInUse &) const = default;
    };
    std::optional<TagsInUse> tags;

    bool operator==(const AppSettings &) const = default;
};
