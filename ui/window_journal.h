#pragma once

#include <QString>

#include "tag/journal.h"

// Where the window keeps the journal of its last Modify, and what it holds.
namespace sonatag::ui {

// $XDG_STATE_HOME/sonatag/journal; ~/.local/state/sonatag/journal where XDG_STATE_HOME is not
// set to an absolute path.
QString DefaultJournalPath();

// Whether the journal names a file that Undo would restore. A journal that cannot be read
// counts as one, so that Undo can say what is wrong with it.
bool HasSomethingToUndo(const QString& journalPath);

// A new journal at journalPath, its folder made where missing. Throws FileError.
JournalWriter NewJournal(const QString& journalPath);

}  // namespace sonatag::ui
