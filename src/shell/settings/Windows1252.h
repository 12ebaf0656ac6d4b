#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

/// The Windows ANSI code page of Western Europe, in which older Windows programs and editors
/// write text files.
///
/// The five bytes the code page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) read as the
/// control characters with the same numbers (U+0081 ...), as Windows itself reads them, and
/// are written back as the same bytes: every byte sequence reads and writes back unchanged.
namespace Windows1252 {

QString decode(QByteArrayView bytes);
/// Appends the bytes of `text` to `out`. Returns false, leaving `out` partly written, when
/// a character of `text` has no byte in the code page.
bool encode(QStringView text, QByteArray &out);
/// Whether `c` is one of the characters that stand for the five undefined bytes.
bool isUndefinedByte(QChar c);

} // namespace Windows1252
