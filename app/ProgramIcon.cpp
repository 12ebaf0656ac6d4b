#include "ProgramIcon.h"

#include <QString>

#include <array>

// The resources live in the static library matrix_ui; naming them here links them in.
static void LinkResources()
{
    Q_INIT_RESOURCE(resources);
}

QIcon ProgramIcon()
{
    LinkResources();
    QIcon icon;
    for (const int size : std::array{48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/icons/hdmi-matrix-controller-%1.png").arg(size),
                     QSize(size, size));
    }
    return icon;
}
