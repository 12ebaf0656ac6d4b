// Settings files can be edited by anyone: parsing arbitrary bytes must not crash, a document
// must write out in a form that reads back to the same document, and a document read from a
// Windows-1252 file writes back in Windows-1252.
#include "shell/settings/IniDocument.h"
#include "shell/settings/Windows1252.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

// Reads back what `doc` writes. False when the bytes read in another encoding than they were
// written in (a Windows-1252 document whose last text that is not UTF-8 went away): the bytes
// stay the same, the characters they stand for do not.
bool readBack(const IniDocument &doc, IniDocument &back)
{
    IniEncoding encoding = IniEncoding::Utf8;
    back.fromBytes(doc.toBytes(&encoding));
    return back.fileState().encoding == encoding;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    IniDocument doc;
    doc.fromBytes(input);

    IniEncoding encoding = IniEncoding::Utf8;
    const QByteArray once = doc.toBytes(&encoding);
    if (encoding != doc.fileState().encoding)
        std::abort();
    IniDocument again;
    again.fromBytes(once);
    if (again.toBytes() != once || again.fileState().unreadableLines != 0)
        std::abort();

    // The code page reads and writes every byte sequence unchanged.
    QByteArray encoded;
    if (!Windows1252::encode(Windows1252::decode(input), encoded) || encoded != input)
        std::abort();

    // Reading everything the document holds.
    for (const QString &section : doc.sectionNames()) {
        const QStringList keys = doc.keys(section);
        const QStringList values = doc.values(section);
        if (keys.size() != values.size())
            std::abort();
        for (const QString &key : keys) {
            doc.readBool(section, key);
            doc.readInteger(section, key);
        }
    }

    // Whatever text is written as a value stays one value of one key.
    const QString text = QString::fromUtf8(input.left(512));
    const qsizetype sectionsBefore = again.sectionNames().size();
    const bool existed = again.sectionExists(QStringLiteral("Fuzz"));
    if (!again.writeString(QStringLiteral("Fuzz"), QStringLiteral("Value"), text))
        std::abort();
    IniDocument written;
    if (readBack(again, written)) {
        if (written.sectionNames().size() != sectionsBefore + (existed ? 0 : 1))
            std::abort();
        if (written.readString(QStringLiteral("Fuzz"), QStringLiteral("Value")) !=
            IniDocument::sanitized(text))
            std::abort();
    }
    written.eraseSection(QStringLiteral("Fuzz"));
    if (written.sectionExists(QStringLiteral("Fuzz")))
        std::abort();

    // A list written as a whole reads back as that list.
    const QStringList items{text, QStringLiteral("second")};
    const QStringList listKeys{QStringLiteral("Device1"), QStringLiteral("Device2")};
    if (!written.writeSection(QStringLiteral("Fuzz list"), listKeys, items))
        std::abort();
    IniDocument listed;
    if (readBack(written, listed) && listed.values(QStringLiteral("Fuzz list")) !=
                                         QStringList{IniDocument::sanitized(text), items[1]})
        std::abort();
    return 0;
}
