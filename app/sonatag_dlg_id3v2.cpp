// The ID3v2 entries of the list's context menu: the mirror setting and the repair of GBK frames
// labelled ISO-8859-1.

#include <vector>

#include "app/sonatag_dlg.h"
#include "platform/list_box.h"
#include "res/resource.h"
#include "tag/id3v2_file.h"
#include "ui/list_selection.h"
#include "ui/tag_text.h"
#include "ui/user_settings.h"
#include "ui/window_journal.h"
#include "ui/work_progress.h"

namespace {

constexpr int kMostFilesPreviewed = 10;
const QString kRepairCaption = QStringLiteral("修复 ID3v2 乱码");

struct PlannedRepair {
    QString path;
    std::vector<sonatag::FrameRepair> repairs;
};

QString Utf8Text(const std::string& utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QString FrameName(const std::string& frameId) {
    if (frameId == "TIT2") return QStringLiteral("标题");
    if (frameId == "TPE1") return QStringLiteral("艺术家");
    if (frameId == "TALB") return QStringLiteral("专辑");
    return QString::fromStdString(frameId);
}

// The question before a repair: each file with its frames old → new, ten files at most.
QString RepairPreview(const std::vector<PlannedRepair>& planned) {
    QString text = QStringLiteral("以下 %1 个文件的 ID3v2 标签含有 GBK 乱码，将改写为 Unicode：").arg(planned.size());
    for (std::size_t at = 0; at < planned.size() && at < kMostFilesPreviewed; ++at) {
        text += u'\n' + planned[at].path;
        for (const sonatag::FrameRepair& repair : planned[at].repairs) {
            text += QStringLiteral("\n    %1：%2 → %3")
                        .arg(FrameName(repair.frameId), Utf8Text(repair.before), Utf8Text(repair.after));
        }
    }
    if (planned.size() > kMostFilesPreviewed)
        text += QStringLiteral("\n……另有 %1 个文件。").arg(planned.size() - kMostFilesPreviewed);
    return text + QStringLiteral("\n继续吗？");
}

}  // namespace

void CSonatagDlg::OnListMirrorId3v2() {
    sonatag::ui::SetMirrorsId3v2(!sonatag::ui::MirrorsId3v2());
}

void CSonatagDlg::OnListRepairId3v2() {
    const std::vector<int> rows = sonatag::ui::SelectedRows(*m_listFiles);
    if (rows.empty()) return;
    std::vector<PlannedRepair> planned;
    sonatag::ui::WorkProgress looking(this, kRepairCaption, QStringLiteral("正在查找 ID3v2 标签中的 GBK 乱码……"),
                                      static_cast<int>(rows.size()), ProgressDelay());
    for (std::size_t at = 0; at < rows.size(); ++at) {
        const QString path = m_listFiles->item(rows[at])->text();
        sonatag::RepairOutcome look = sonatag::RepairId3v2(sonatag::ui::FileSystemPath(path), true);
        if (!look.repairs.empty()) planned.push_back({path, std::move(look.repairs)});
        if (!looking.Step(static_cast<int>(at) + 1)) return;
    }
    looking.Close();
    if (planned.empty()) {
        MessageBox(QStringLiteral("所选文件的 ID3v2 标签中没有 GBK 乱码。"), kRepairCaption,
                   MB_OK | MB_ICONINFORMATION | MB_TOPMOST);
        return;
    }
    if (MessageBox(RepairPreview(planned), kRepairCaption, MB_YESNO | MB_ICONEXCLAMATION | MB_TOPMOST) != IDYES) return;

    // Undo of the last Modify undoes the repair instead.
    sonatag::ui::WorkProgress progress(this, kRepairCaption, QStringLiteral("正在修复 ID3v2 标签……"),
                                       static_cast<int>(planned.size()), ProgressDelay());
    sonatag::JournalWriter journal = sonatag::ui::NewJournal(journalPath_);
    int repaired = 0;
    bool cancelled = false;
    for (const PlannedRepair& file : planned) {
        sonatag::RepairId3v2(sonatag::ui::FileSystemPath(file.path), false, &journal);
        cancelled = !progress.Step(++repaired);
        if (cancelled) break;
    }
    journal.Sync();
    progress.Close();
    const QString done = QStringLiteral("已修复 %1 个文件的 ID3v2 标签。").arg(repaired);
    MessageBox(cancelled ? QStringLiteral("修复已取消，") + done : done, kRepairCaption,
               MB_OK | (cancelled ? MB_ICONEXCLAMATION : MB_ICONINFORMATION) | MB_TOPMOST);
}
