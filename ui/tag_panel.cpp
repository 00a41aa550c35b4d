// The tag panel's handlers: the selection change of the file list, the check box that takes
// titles from file names, and Modify, which writes the panel's texts into the selected files.

#include <QCheckBox>
#include <QLineEdit>
#include <algorithm>
#include <array>

#include "app/sonatag_dlg.h"
#include "platform/list_box.h"
#include "player/ocx1.h"
#include "res/resource.h"
#include "tag/tag_file.h"
#include "ui/list_selection.h"
#include "ui/tag_text.h"

using sonatag::ui::CaretPath;
using sonatag::ui::FileName;
using sonatag::ui::FileSystemPath;
using sonatag::ui::FromTagText;
using sonatag::ui::SelectedRows;
using sonatag::ui::ToTagText;
using sonatag::ui::TrimWhiteSpace;

namespace {

constexpr int kMaxNamesShown = 10;

// The check box and the three edits, in the order they are enabled.
std::array<QWidget*, 4> PanelControls(CSonatagDlg& dlg) {
    return {dlg.m_checkUseFileName, dlg.m_editTitle, dlg.m_editArtist, dlg.m_editAlbum};
}

void SetPanelTexts(CSonatagDlg& dlg, const QString& title, const QString& artist, const QString& album) {
    dlg.m_editTitle->setText(title);
    dlg.m_editArtist->setText(artist);
    dlg.m_editAlbum->setText(album);
}

// The file's tag in the edits: its texts, "无" for a file without a block; a file too short
// to hold one leaves the edits as they are.
void ShowTagOf(CSonatagDlg& dlg, const QString& path) {
    const sonatag::TagReadResult tag = sonatag::ReadTagFields(FileSystemPath(path));
    switch (tag.outcome) {
        case sonatag::ReadOutcome::Found:
            SetPanelTexts(dlg, FromTagText(tag.fields.title), FromTagText(tag.fields.artist),
                          FromTagText(tag.fields.album));
            break;
        case sonatag::ReadOutcome::NoTag: {
            const QString none = QStringLiteral("无");
            SetPanelTexts(dlg, none, none, none);
            break;
        }
        case sonatag::ReadOutcome::TooShort:
            break;
    }
}

// With the check box ticked the title edit shows the file's name and takes no typing;
// otherwise it shows title and is open for typing.
void ApplyTitleRule(CSonatagDlg& dlg, const QString& path, const QString& title) {
    const bool useFileName = dlg.m_bUseFileName != 0;
    dlg.m_editTitle->setText(useFileName ? FileName(path, 1) : title);
    dlg.m_editTitle->setEnabled(!useFileName);
}

QString PassedOverMessage(int written, const QStringList& tooShort) {
    QString text = QStringLiteral("已修改 %1 个文件的信息。\n以下 %2 个文件不足 128 字节，放不下 ID3 信息，未作修改：")
                       .arg(written)
                       .arg(tooShort.size());
    for (const QString& path : tooShort.first(std::min<qsizetype>(tooShort.size(), kMaxNamesShown)))
        text += u'\n' + path;
    if (tooShort.size() > kMaxNamesShown)
        text += QStringLiteral("\n……另有 %1 个文件同样未作修改。").arg(tooShort.size() - kMaxNamesShown);
    return text;
}

}  // namespace

void CSonatagDlg::OnSelchangeFileList() {
    const QString path = CaretPath(*m_listFiles);
    SetDlgItemText(IDC_INFO_GROUP, QStringLiteral("文件信息 - ") + FileName(path, 0));
    if (path != m_player->get_URL()) {
        ShowTagOf(*this, path);
        const bool anySelected = m_listFiles->selectionModel()->hasSelection();
        for (QWidget* control : PanelControls(*this)) control->setEnabled(anySelected);
        GetDlgItem(IDOK)->setEnabled(true);
    } else {
        // The player holds the file open: show the texts saved when it was given to the player.
        SetPanelTexts(*this, m_strSavedTitle, m_strSavedArtist, m_strSavedAlbum);
        GetDlgItem(IDOK)->setEnabled(false);
    }
    UpdateData(true);
    ApplyTitleRule(*this, path, m_strTitle);
}

void CSonatagDlg::OnUseFileName() {
    const QString path = CaretPath(*m_listFiles);
    const QString titleBefore = m_strTitle;
    UpdateData(true);
    ApplyTitleRule(*this, path, titleBefore);
}

void CSonatagDlg::OnModify() {
    if (!m_listFiles->selectionModel()->hasSelection()) return;
    const QString question = QStringLiteral("此操作将覆盖所选文件的ID3信息，继续吗？");
    if (MessageBox(question, QStringLiteral("修改信息"), MB_YESNO | MB_ICONEXCLAMATION | MB_TOPMOST) != IDYES) return;

    const std::vector<int> rows = SelectedRows(*m_listFiles);
    int written = 0;
    QStringList tooShort;
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        const QString path = m_listFiles->item(*row)->text();
        if (m_bUseFileName != 0) m_editTitle->setText(FileName(path, 1));
        UpdateData(true);
        m_strTitle = TrimWhiteSpace(m_strTitle);
        m_strArtist = TrimWhiteSpace(m_strArtist);
        m_strAlbum = TrimWhiteSpace(m_strAlbum);
        const sonatag::WriteOutcome outcome = sonatag::WriteTagFields(FileSystemPath(path), ToTagText(m_strTitle),
                                                                      ToTagText(m_strArtist), ToTagText(m_strAlbum));
        if (outcome == sonatag::WriteOutcome::Written)
            ++written;
        else
            tooShort.prepend(path);  // named in the list's order
    }

    if (tooShort.isEmpty()) {
        MessageBox(QStringLiteral("文件信息修改成功！"), QStringLiteral("恭喜"),
                   MB_OK | MB_ICONINFORMATION | MB_TOPMOST);
    } else {
        // Files too short to hold a block were passed over: saying only "success" would hide it.
        const QString passedOver = PassedOverMessage(written, tooShort);
        MessageBox(passedOver, QStringLiteral("修改信息"), MB_OK | MB_ICONEXCLAMATION | MB_TOPMOST);
    }
}
