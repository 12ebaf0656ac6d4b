#include "EdidPageRig.h"

#include "edid/ui/EdidGrid.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLayout>
#include <QTest>

EdidPageRig::EdidPageRig()
{
    // As the program's start does: the last mode entry goes, the grid shows its headers.
    edid.removeLastMode();
    edid.ShowEDIDData(nullptr);
    shell.window.layout()->addWidget(&edid);
    shell.window.show();
    QObject::connect(&device, &SwitcherDevice::transmit, &device, [this](const QByteArray &bytes) {
        shell.serial().deliverLater(answerDelay, bytes);
    });
    shell.serial().responder = [this](const QByteArray &written) { device.receive(written); };
}

QComboBox *EdidPageRig::list(const char *name) const
{
    return child<QComboBox>(name);
}

void EdidPageRig::click(const char *name) const
{
    if (auto *button = child<QAbstractButton>(name))
        button->click();
}

QString EdidPageRig::frame(int command, int subcommand, std::uint16_t p1, std::uint16_t p2)
{
    return QString::number(command) + QLatin1Char('.') + QString::number(subcommand) +
           QLatin1Char(' ') + QStringLiteral("%1").arg(p1, 4, 16, QLatin1Char('0')).toUpper() +
           QLatin1Char(' ') + QString::number(p2);
}

QStringList EdidPageRig::received() const
{
    QStringList units;
    for (const QByteArray &unit : device.state().received) {
        if (unit.size() != qsizetype(FrameSize)) {
            units.append(QStringLiteral("packet"));
            continue;
        }
        const auto byte = [&unit](int i) { return std::uint8_t(unit[i]); };
        units.append(frame(byte(2), byte(3), std::uint16_t(byte(4) | byte(5) << 8),
                           std::uint16_t(byte(6) | byte(7) << 8)));
    }
    return units;
}

void EdidPageRig::pick(QComboBox *list, const QString &text)
{
    const int index = list->findText(text, Qt::MatchExactly);
    QVERIFY2(index >= 0, qPrintable(list->objectName() + QStringLiteral(": no ") + text));
    list->setCurrentIndex(index);
}

QStringList EdidPageRig::gridTexts() const
{
    QStringList texts;
    for (int row = 0; row < 16; ++row) {
        for (int column = 0; column < 16; ++column)
            texts.append(child<EdidGrid>("sgEDIDContent")->dataText(row, column));
    }
    return texts;
}

bool EdidPageRig::gridEmpty() const
{
    for (const QString &text : gridTexts()) {
        if (!text.isEmpty())
            return false;
    }
    return true;
}

QByteArray EdidPageRig::gridBlock() const
{
    QByteArray block;
    edid.CollectEDIDData(block);
    return block;
}
