#include "ui/window_journal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>

#include "tag/journal_undo.h"
#include "ui/tag_text.h"

namespace sonatag::ui {

QString DefaultJournalPath() {
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(state))
        state = QStandardPaths::writableLocation(QStandardPaths::HomeLocation) + QStringLiteral("/.local/state");
    return state + QStringLiteral("/sonatag/journal");
}

bool HasSomethingToUndo(const QString& journalPath) {
    if (!QFile::exists(journalPath)) return false;
    try {
        const std::vector<JournalEntry> entries = ReadJournal(FileSystemPath(journalPath));
        return std::any_of(entries.begin(), entries.end(), MayNeedRestore);
    } catch (const FileError&) {
        return true;  // Undo says what is wrong with it
    }
}

JournalWriter NewJournal(const QString& journalPath) {
    QDir().mkpath(QFileInfo(journalPath).path());
    return JournalWriter(FileSystemPath(journalPath));
}

}  // namespace sonatag::ui
