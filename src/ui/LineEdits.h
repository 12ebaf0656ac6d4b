#pragma once

#include <QLineEdit>

/// Puts the caret after the last character, so that a long path shows its end.
inline void MoveCaretToEnd(QLineEdit *edit)
{
    if (edit)
        edit->setCursorPosition(int(edit->text().size()));
}
