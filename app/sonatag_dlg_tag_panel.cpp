// The tag panel's handlers: the selection change of the file list, the check box that takes
// titles from file names, and Modify, which writes the panel's texts into the selected files.

#include <QCheckBox>
#include <QLineEdit>
#include <array>
#include <optional>
#include <ranges>

#include "app/sonatag_dlg.h"
#include "platform/list_box.h"
#include "player/ocx1.h"
#include "res/resource.h"
#include "tag/id3v2_file.h"
#include "tag/tag_batch.h"
#include "tag/tag_texts.h"
#include "ui/list_selection.h"
#include "ui/name_list.h"
#include "ui/tag_text.h"
#include "ui/user_settings.h"
#include "ui/window_journal.h"
#include "ui/work_progress.h"

using sonatag::ui::CaretPath;
using sonatag::ui::FileName;
using sonatag::ui::FileSystemPath;
using sonatag::ui::FromTagText;
using sonatag::ui::NameList;
using sonatag::ui::SelectedRows;
using sonatag::ui::TrimWhiteSpace;
using sonatag::ui::Visible;

namespace {

// A line under the closing box's text where players will go on showing an ID3v2 tag's other
// texts for some of the files written.
QString PlayersShowOtherLine(int files) {
    if (files == 0) return {};
    return QStringLiteral(
               "\n\n其中 %1 个文件另有 ID3v2 标签，播放器会显示其中不同的标题、艺术家或专辑；"
               "在文件列表的右键菜单中勾选“同时写入 ID3v2 标签”后再修改，两种标签便会一致。")
        .arg(files);
}

}  // namespace

// The check box and the three edits, in the order they are enabled.
std::array<QWidget*, 4> CSonatagDlg::PanelControls() const {
    return {m_checkUseFileName, m_editTitle, m_editArtist, m_editAlbum};
}

// The texts in the edits, and what an edit left empty shows in their place.
void CSonatagDlg::SetPanelTexts(const QString& title, const QString& artist, const QString& album,
                                const QString& placeholder) {
    m_editTitle->setText(title);
    m_editArtist->setText(artist);
    m_editAlbum->setText(album);
    for (QLineEdit* edit : {m_editTitle, m_editArtist, m_editAlbum}) edit->setPlaceholderText(placeholder);
}

// The file's tag in the edits: its texts, or for a file without a block empty edits that show
// "无", so that a Modify writes only what was typed; a file too short to hold a block leaves the
// edits as they are.
void CSonatagDlg::ShowTagOf(const QString& path) {
    const sonatag::TagReadResult tag = sonatag::ReadTagFields(FileSystemPath(path));
    switch (tag.outcome) {
        case sonatag::ReadOutcome::Found:
            SetPanelTexts(FromTagText(tag.fields.title), FromTagText(tag.fields.artist), FromTagText(tag.fields.album),
                          QString());
            break;
        case sonatag::ReadOutcome::NoTag:
            SetPanelTexts(QString(), QString(), QString(), QStringLiteral("无"));
            break;
        case sonatag::ReadOutcome::TooShort:
            break;
    }
}

// With the check box ticked the title edit shows the file's name and takes no typing;
// otherwise it shows title and is open for typing.
void CSonatagDlg::ApplyTitleRule(const QString& path, const QString& title) {
    const bool useFileName = m_bUseFileName != 0;
    m_editTitle->setText(useFileName ? FileName(path, 1) : title);
    m_editTitle->setEnabled(!useFileName);
}

// Each path with the panel's texts, made ready as the command-line tool makes its own; with the
// check box ticked the title edit takes each file's name in turn, as if typed.
std::vector<sonatag::BatchFile> CSonatagDlg::FilesToModify(const QStringList& paths) {
    std::vector<sonatag::BatchFile> files;
    files.reserve(static_cast<std::size_t>(paths.size()));
    for (const QString& path : paths) {
        const bool useFileName = m_bUseFileName != 0;
        if (useFileName) m_editTitle->setText(FileName(path, 1));
        UpdateData(true);
        m_strTitle = TrimWhiteSpace(m_strTitle);
        m_strArtist = TrimWhiteSpace(m_strArtist);
        m_strAlbum = TrimWhiteSpace(m_strAlbum);
        const sonatag::PreparedTexts texts =
            sonatag::PrepareTexts({useFileName ? std::nullopt : std::optional(m_strTitle.toStdString()),
                                   m_strArtist.toStdString(), m_strAlbum.toStdString(), useFileName});
        // A name from the list is always UTF-8, so the mirror can always take it.
        const sonatag::FileTexts file = sonatag::TextsForFile(texts, FileSystemPath(path));
        files.push_back({FileSystemPath(path), file.update, file.mirror});
    }
    return files;
}

// The title edit and m_strTitle as Modify leaves them when it stops at path.
void CSonatagDlg::ShowTitleOf(const QString& path) {
    m_editTitle->setText(FileName(path, 1));
    m_strTitle = TrimWhiteSpace(m_editTitle->text());
}

// The closing box of a Modify that wrote every file it reached; files too short to hold a block
// were passed over, and saying only "success" would hide it.
void CSonatagDlg::ShowModifyDone(int written, const QStringList& tooShort, bool cancelled, int playersShowOther) {
    if (tooShort.isEmpty() && !cancelled) {
        MessageBox(QStringLiteral("文件信息修改成功！") + PlayersShowOtherLine(playersShowOther),
                   QStringLiteral("恭喜"), MB_OK | MB_ICONINFORMATION | MB_TOPMOST);
        return;
    }
    QString text = cancelled ? QStringLiteral("修改已取消，已修改 %1 个文件的信息。").arg(written)
                             : QStringLiteral("已修改 %1 个文件的信息。").arg(written);
    if (!tooShort.isEmpty()) {
        text += QStringLiteral("\n以下 %1 个文件不足 %2 字节，放不下 ID3 信息，未作修改：")
                    .arg(tooShort.size())
                    .arg(sizeof(sonatag::Id3v1Tag));
        text += NameList(tooShort, QStringLiteral("……另有 %1 个文件同样未作修改。"));
    }
    MessageBox(text + PlayersShowOtherLine(playersShowOther), QStringLiteral("修改信息"),
               MB_OK | MB_ICONEXCLAMATION | MB_TOPMOST);
}

void CSonatagDlg::OnSelchangeFileList() {
    const QString path = CaretPath(*m_listFiles);
    SetDlgItemText(IDC_INFO_GROUP, QStringLiteral("文件信息 - ") + Visible(FileName(path, 0)));
    if (path != m_player->get_URL()) {
        ShowTagOf(path);
        const bool anySelected = m_listFiles->selectionModel()->hasSelection();
        for (QWidget* control : PanelControls()) control->setEnabled(anySelected);
        GetDlgItem(IDOK)->setEnabled(true);
    } else {
        // The player holds the file open: show the texts saved when it was given to the player.
        SetPanelTexts(m_strSavedTitle, m_strSavedArtist, m_strSavedAlbum, savedPlaceholder_);
        GetDlgItem(IDOK)->setEnabled(false);
    }
    UpdateData(true);
    ApplyTitleRule(path, m_strTitle);
}

void CSonatagDlg::OnUseFileName() {
    const QString path = CaretPath(*m_listFiles);
    const QString titleBefore = m_strTitle;
    UpdateData(true);
    ApplyTitleRule(path, titleBefore);
}

void CSonatagDlg::OnModify() {
    if (!m_listFiles->selectionModel()->hasSelection()) return;
    // The edits are disabled while they show no file's texts, as after the list was filled
    // or emptied and nothing was selected by hand since: there is nothing to write.
    if (!m_editArtist->isEnabled()) {
        MessageBox(
            QStringLiteral("“文件信息”中的标题、艺术家和专辑尚不可编辑，没有可写入的内容。请先在文件列表中选择文件。"),
            QStringLiteral("修改信息"), MB_OK | MB_ICONINFORMATION | MB_TOPMOST);
        return;
    }
    const QString question = QStringLiteral("此操作将覆盖所选文件的ID3信息，继续吗？");
    if (MessageBox(question, QStringLiteral("修改信息"), MB_YESNO | MB_ICONEXCLAMATION | MB_TOPMOST) != IDYES) return;

    QStringList paths;
    for (const int row : std::views::reverse(SelectedRows(*m_listFiles))) paths.append(m_listFiles->item(row)->text());
    sonatag::ui::WorkProgress progress(this, QStringLiteral("修改信息"),
                                       QStringLiteral("正在写入所选文件的 ID3 信息……"), static_cast<int>(paths.size()),
                                       ProgressDelay());
    const std::vector<sonatag::BatchFile> files = FilesToModify(paths);

    sonatag::JournalWriter journal = sonatag::ui::NewJournal(journalPath_);
    int written = 0;
    int playersShowOther = 0;
    QStringList tooShort;
    std::optional<sonatag::FileError> failure;
    bool cancelled = false;
    std::size_t reached = 0;
    const auto writeBatch = sonatag::ui::MirrorsId3v2() ? sonatag::WriteMirrorBatch : sonatag::WriteTagBatch;
    writeBatch(files, &journal, [&](const sonatag::BatchFileResult& result) {
        reached = result.index;
        if (result.error != nullptr) {
            failure = *result.error;
            return false;
        }
        if (result.outcome == sonatag::WriteOutcome::Written)
            ++written;
        else
            tooShort.prepend(paths[static_cast<qsizetype>(result.index)]);  // named in the list's order
        playersShowOther += result.playersShowOther ? 1 : 0;
        cancelled = !progress.Step(static_cast<int>(result.index) + 1);
        return !cancelled;
    });
    // The edit ends on the file Modify stopped at, as if typed.
    if (m_bUseFileName != 0 && reached + 1 < files.size()) ShowTitleOf(paths[static_cast<qsizetype>(reached)]);
    progress.Close();
    if (failure) throw *failure;
    ShowModifyDone(written, tooShort, cancelled, playersShowOther);
}
