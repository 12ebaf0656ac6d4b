#pragma once

#include <QStringList>

class IniDocument;

/// Carries what one program changed in a document over to the file as another program may
/// have left it in the meantime.
namespace IniMerge {

/// Applies the changes from `before` to `after` onto `target`: keys added or changed in
/// `after` are written, keys it no longer has are deleted, sections it no longer has are
/// erased. The sections named in `wholeSections` (lists that are rewritten as a whole) are
/// replaced entirely when anything in them changed. Everything else in `target` stays.
void applyChanges(const IniDocument &before, const IniDocument &after, IniDocument &target,
                  const QStringList &wholeSections);

} // namespace IniMerge
