#pragma once

#include "shell/presets/PresetRow.h"
#include "videohub/VideohubBlocks.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

/// The JSON the control page and the bridge exchange over the WebSocket, one object per text
/// message.
///
/// From the page:  {"type":"route","output":2,"input":3,"id":7}
///                 {"type":"preset","number":3,"id":8}
/// To the page:    {"type":"state", ...}  the whole state, after every change
///                 {"type":"done","id":7,"ok":true}  or  ...,"ok":false,"message":"..."}
///                 {"type":"error","id":7,"message":"..."}  a command that was not taken
namespace Bridge::Web {

/// Longer commands are refused without being read: the longest real one has about 60 bytes.
constexpr qsizetype MaxCommandBytes = 1024;
/// Port numbers a command may carry; the switcher's own counts are checked when it is run.
constexpr int MaxPortNumber = 64;
constexpr int PresetCount = 8;

struct PageCommand
{
    enum class Kind { Invalid, Route, Preset };
    Kind kind = Kind::Invalid;
    /// The page's number for the command, echoed in the answer; a whole number.
    std::optional<qint64> id;
    int output = 0;
    int input = 0;
    int preset = 0;
    /// Why the command is invalid, as the page is told.
    QString error;
};

/// Reads one message from a page. Checks its length before parsing, and the type and range
/// of every field it uses.
PageCommand ParsePageCommand(QByteArrayView message);

/// One preset as the page shows it.
struct PresetView
{
    QString name;
    /// The input of outputs 1..4; 0 for a stored value that names no input.
    QList<int> routing;
};

/// The presets as stored: the inputs they name, 0 for anything else.
QList<PresetView> PresetViews(const QList<PresetRow> &presets);

QByteArray StateMessage(const Videohub::HubState &hub, const QList<PresetView> &presets);
/// A command has been run; `failure` is empty when everything it asked for was done.
QByteArray DoneMessage(std::optional<qint64> id, const QString &failure);
QByteArray ErrorMessage(std::optional<qint64> id, const QString &text);

} // namespace Bridge::Web
