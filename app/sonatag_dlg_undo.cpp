// Undo of the last Modify from its journal.

#include <QFile>
#include <QLineEdit>
#include <algorithm>
#include <set>
#include <string>

#include "app/sonatag_dlg.h"
#include "res/resource.h"
#include "tag/journal_undo.h"
#include "tag/locked_file.h"
#include "ui/name_list.h"
#include "ui/tag_text.h"
#include "ui/window_journal.h"
#include "ui/work_progress.h"

namespace {

using sonatag::JournalEntry;
using sonatag::RestoreOutcome;

constexpr unsigned int kQuestion = MB_YESNO | MB_ICONEXCLAMATION | MB_TOPMOST;

QString DisplayPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

QString UndoneMessage(int restored, const QStringList& leftAlone, bool cancelled) {
    QString text = cancelled ? QStringLiteral("撤销已取消，已恢复 %1 个文件的ID3信息。").arg(restored)
                             : QStringLiteral("已恢复 %1 个文件的ID3信息。").arg(restored);
    if (leftAlone.isEmpty()) return text;
    text += QStringLiteral("\n以下 %1 个文件在修改后已有变动或无法打开，未作恢复：").arg(leftAlone.size());
    return text + sonatag::ui::NameList(leftAlone, QStringLiteral("……另有 %1 个文件同样未作恢复。"));
}

}  // namespace

void CSonatagDlg::OnUndo() {
    if (!QFile::exists(journalPath_)) return;
    const std::vector<JournalEntry> entries = sonatag::ReadJournal(sonatag::ui::FileSystemPath(journalPath_));
    const int count = static_cast<int>(std::count_if(entries.begin(), entries.end(), sonatag::MayNeedRestore));
    if (count == 0) return;
    // A file written with its ID3v2 tag has two entries; it is counted once.
    std::set<std::string> files;
    for (const JournalEntry& entry : entries)
        if (sonatag::MayNeedRestore(entry)) files.insert(entry.path);
    const QString question = QStringLiteral("此操作将恢复上次修改的 %1 个文件的ID3信息，继续吗？").arg(files.size());
    if (MessageBox(question, QStringLiteral("撤销修改"), kQuestion) != IDYES) return;

    sonatag::ui::WorkProgress progress(this, QStringLiteral("撤销修改"), QStringLiteral("正在恢复上次修改的文件……"),
                                       count, ProgressDelay());
    int done = 0;
    std::set<std::string> restored;
    QStringList leftAlone;
    bool cancelled = false;
    const sonatag::FolderScope folders;
    // The last write first, which is the top of the list: a file written twice goes back
    // through both.
    for (auto entry = entries.rbegin(); entry != entries.rend() && !cancelled; ++entry) {
        if (!sonatag::MayNeedRestore(*entry)) continue;
        try {
            const RestoreOutcome outcome = sonatag::RestoreEntry(*entry);
            if (outcome == RestoreOutcome::Restored) restored.insert(entry->path);
            if (outcome == RestoreOutcome::Changed && !leftAlone.contains(DisplayPath(entry->path)))
                leftAlone.append(DisplayPath(entry->path));
        } catch (const sonatag::FileError&) {
            if (!leftAlone.contains(DisplayPath(entry->path))) leftAlone.append(DisplayPath(entry->path));
        }
        cancelled = !progress.Step(++done);
    }
    // What a cancelled undo did not reach can still be undone; the files it restored are
    // passed over next time, as they are as before.
    if (!cancelled) QFile::remove(journalPath_);
    progress.Close();

    const unsigned int icon = leftAlone.isEmpty() && !cancelled ? MB_ICONINFORMATION : MB_ICONEXCLAMATION;
    MessageBox(UndoneMessage(static_cast<int>(restored.size()), leftAlone, cancelled), QStringLiteral("撤销修改"),
               MB_OK | icon | MB_TOPMOST);
    // The panel may show texts just undone, which the next Modify would write again.
    if (m_editArtist->isEnabled()) OnSelchangeFileList();
}
