#pragma once

#include <QComboBox>
#include <QCompleter>

/// An editable drop-down list whose text stays as typed: completion may offer an entry, but
/// it never changes the letters typed ("player" stays "player" when "Player" is listed), on
/// typing, on Enter or when the box loses the focus. Call after setEditable(true).
inline void KeepTypedLetters(QComboBox *box)
{
    if (box && box->completer())
        box->completer()->setCaseSensitivity(Qt::CaseSensitive);
}
