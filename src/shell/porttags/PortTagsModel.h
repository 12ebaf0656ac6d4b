#pragma once

#include "link/Commands.h"
#include "shell/porttags/PortTagStore.h"
#include "shell/settings/SharedIniFile.h"

#include <QObject>
#include <QString>

/// The port tags of the switcher in use: one set for the serial connection, one per network
/// device. Pages that name ports read them here; the Port Tag page edits them.
class PortTagsModel : public QObject
{
    Q_OBJECT
public:
    /// Tags of the controls that stand for a port: inputs n, outputs 40 + n.
    static constexpr int OutputTagBase = 40;

    /// The tags are kept in `file`, which the program shares with its other settings.
    explicit PortTagsModel(SharedIniFile &file, QObject *parent = nullptr);

    const PortTagSet &tags() const { return m_tags; }
    void setTags(const PortTagSet &tags);
    /// The tag of input n (1..8) or output n (41..48); ports beyond the four used have none.
    QString tag(int portTag) const;
    QString inputTag(int input) const { return tag(input); }
    QString outputTag(int output) const { return tag(OutputTagBase + output); }

    void ClearPortTags();
    /// Reads the stored set of the mode (and device) from the file as it is now.
    void LoadPortTags(TControlMode mode, const QString &mac);
    /// Stores the set and removes tag sections without a tag; on failure the file keeps what
    /// it held.
    SettingsFileResult SavePortTags(TControlMode mode, const QString &mac);
    /// Removes every tag section without a tag.
    SettingsFileResult PurgeEmptyTagSections();

    /// The stored set of any mode and device, leaving the set in use as it is.
    PortTagSet storedTags(TControlMode mode, const QString &mac) const;
    /// Stores a set of any mode and device; false when the file could not be written.
    bool storeTags(TControlMode mode, const QString &mac, const PortTagSet &tags);

signals:
    void changed();

private:
    SharedIniFile &m_file;
    PortTagSet m_tags;
};
