// The file list's commands: Add, Remove, Clear, Select all and the list's context menu.

#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QSet>

#include "app/sonatag_dlg.h"
#include "platform/list_box.h"
#include "res/dialogs.h"
#include "res/resource.h"
#include "ui/list_selection.h"
#include "ui/tag_text.h"
#include "ui/user_settings.h"
#include "ui/window_journal.h"
#include "ui/work_progress.h"

using sonatag::ui::DeleteRows;
using sonatag::ui::SelectedRows;

namespace {

constexpr unsigned int kQuestion = MB_YESNO | MB_ICONEXCLAMATION | MB_TOPMOST;
constexpr unsigned int kError = MB_OK | MB_ICONERROR | MB_TOPMOST;

QSet<QString> ItemTexts(const CListBox& list) {
    QSet<QString> texts;
    texts.reserve(list.count());
    for (int row = 0; row < list.count(); ++row) texts.insert(list.item(row)->text());
    return texts;
}

bool StrictlyInside(const QRect& frame, QPoint point) {
    return frame.left() < point.x() && point.x() < frame.left() + frame.width() && frame.top() < point.y() &&
           point.y() < frame.top() + frame.height();
}

}  // namespace

// Appends the paths that are not in the list yet at its end, in the order given, and tells
// of each one that is. Every box finds the paths before it in the list already. A cancel
// keeps the paths taken so far.
void CSonatagDlg::AppendNewPaths(const QStringList& paths, sonatag::ui::WorkProgress& progress) {
    CListBox& list = *m_listFiles;
    QSet<QString> listed = ItemTexts(list);
    QStringList pending;
    for (qsizetype at = 0; at < paths.size(); ++at) {
        const QString& path = paths[at];
        if (listed.contains(path)) {
            list.addItems(pending);
            pending.clear();
            MessageBox(QStringLiteral("文件 \"%1\" 已存在于列表中！").arg(sonatag::ui::Visible(path)),
                       QStringLiteral("错误"), kError);
        } else {
            // Kept as chosen: a Linux file name may end in white space, and trimming it would
            // make the item name another file.
            listed.insert(path);
            pending.append(path);
        }
        if (!progress.Step(static_cast<int>(at + 1))) break;
    }
    list.addItems(pending);
}

// Empties and disables the panel's edits and disables its check box, whose check stays.
void CSonatagDlg::ResetPanel() {
    m_checkUseFileName->setEnabled(false);
    for (QLineEdit* edit : {m_editTitle, m_editArtist, m_editAlbum}) {
        edit->clear();
        edit->setPlaceholderText(QString());
    }
    for (QLineEdit* edit : {m_editTitle, m_editArtist, m_editAlbum}) edit->setEnabled(false);
}

QStringList CSonatagDlg::ChooseFiles() {
    QFileDialog dialog(this, QString(), sonatag::ui::AddDialogFolder(), QStringLiteral("MP3 音乐文件 (*.mp3)"));
    dialog.setFileMode(QFileDialog::ExistingFiles);
    // The desktop's own dialog may show only the part of the filter before its '(' and, under
    // GTK 3, match the pattern in lower case only; Qt's dialog shows the filter whole and
    // matches Foo.MP3 too.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted) return {};
    sonatag::ui::RememberAddDialogFolder(dialog.directory().absolutePath());
    return dialog.selectedFiles();
}

void CSonatagDlg::OnAdd() {
    const QStringList chosen = ChooseFiles();
    if (!chosen.isEmpty()) {
        UpdateData(false);
        sonatag::ui::WorkProgress progress(this, QStringLiteral("添加文件"), QStringLiteral("正在添加文件……"),
                                           static_cast<int>(chosen.size()), ProgressDelay());
        AppendNewPaths(chosen, progress);
    }
    ShowFileCount();
}

void CSonatagDlg::OnRemove() {
    if (!m_listFiles->selectionModel()->hasSelection()) return;
    const QString question = QStringLiteral("此操作将移除所有选中的文件，继续吗？");
    if (MessageBox(question, QStringLiteral("移除文件"), kQuestion) != IDYES) return;
    DeleteRows(*m_listFiles, SelectedRows(*m_listFiles));
    ShowFileCount();
    ResetPanel();
    if (m_listFiles->count() == 0) SetDlgItemText(IDC_INFO_GROUP, QStringLiteral("文件信息"));
}

void CSonatagDlg::ShowFileCount() {
    SetDlgItemText(IDC_LIST_GROUP, QStringLiteral("文件列表(共 %1 个)").arg(m_listFiles->count()));
}

void CSonatagDlg::OnClear() {
    if (m_listFiles->count() == 0) return;
    const QString question = QStringLiteral("此操作将清空列表中的所有文件，继续吗？");
    if (MessageBox(question, QStringLiteral("清空列表"), kQuestion) != IDYES) return;
    m_listFiles->clear();
    ShowFileCount();
    SetDlgItemText(IDC_INFO_GROUP, QStringLiteral("文件信息"));
    ResetPanel();
}

void CSonatagDlg::OnSelectAll() {
    m_listFiles->selectAll();
}

void CSonatagDlg::OnListRemoveCurrent() {
    OnRemove();
}

void CSonatagDlg::OnListSelectAll() {
    OnSelectAll();
}

// The point alone decides, whichever control it came from; a request from the keyboard
// comes with (-1, -1) and so shows nothing.
void CSonatagDlg::OnContextMenu(QWidget*, QPoint point) {
    const QRect listFrame(m_listFiles->mapToGlobal(QPoint(0, 0)), m_listFiles->size());
    if (!StrictlyInside(listFrame, point)) return;
    EnableMenuItem(ID_LIST_UNDO, sonatag::ui::HasSomethingToUndo(journalPath_));
    CheckMenuItem(ID_LIST_MIRROR_ID3V2, sonatag::ui::MirrorsId3v2());
    TrackPopupMenu(kListMenu, point);
}
