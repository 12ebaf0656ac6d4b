// Settings files can be edited by anyone: parsing arbitrary bytes must not crash, and a
// document must write out in a form that reads back to the same document.
#include "shell/IniDocument.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    IniDocument doc;
    doc.fromBytes(input);

    const QByteArray once = doc.toBytes();
    IniDocument again;
    again.fromBytes(once);
    if (again.toBytes() != once)
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
    written.fromBytes(again.toBytes());
    if (written.sectionNames().size() != sectionsBefore + (existed ? 0 : 1))
        std::abort();
    if (written.readString(QStringLiteral("Fuzz"), QStringLiteral("Value")) !=
        IniDocument::sanitized(text))
        std::abort();
    written.eraseSection(QStringLiteral("Fuzz"));
    if (written.sectionExists(QStringLiteral("Fuzz")))
        std::abort();
    return 0;
}
