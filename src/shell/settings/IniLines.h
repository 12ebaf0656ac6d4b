#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <vector>

/// The lines of a settings file as bytes, before they are decoded.
namespace IniLines {

/// The lines of `bytes` without their line ends (CR LF, LF or CR), in order, with binary data
/// left out: lines holding a control character other than tab, every line between two such
/// lines within a section (stray bytes that happen to look like text), and the loose text
/// lines (no section header, comment or key=value) around them. Byte order marks in front of
/// the first line are dropped. `unreadable` receives how many lines were left out.
std::vector<QByteArrayView> textLines(const QByteArray &bytes, qsizetype &unreadable);

} // namespace IniLines
