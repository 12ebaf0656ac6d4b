#include "ui/ProgramFont.h"

QFont ProgramFont(int pixelSize)
{
    QFont font(QStringLiteral("Times New Roman"));
    // Where the family is missing, a serif font of the same widths stands in for it.
    font.setStyleHint(QFont::Serif);
    font.setPixelSize(pixelSize);
    return font;
}
