// Files and folders dropped on the window or named on the command line.

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QSet>
#include <QTimer>
#include <QUrl>
#include <algorithm>

#include "app/sonatag_dlg.h"
#include "platform/list_box.h"
#include "res/resource.h"
#include "tag/folder_walk.h"
#include "ui/name_list.h"
#include "ui/work_progress.h"

namespace {

// Gathers the MP3 files of the paths given, keeping the window alive during a long walk: a
// progress box tells how many files were found and offers to cancel.
class PathGathering : public sonatag::WalkVisitor {
public:
    PathGathering(QWidget* window, std::chrono::milliseconds showAfter)
        : progress_(window, QStringLiteral("添加文件"), QStringLiteral("正在查找 MP3 文件，已找到 %1 个……"), 0,
                    showAfter) {}

    void Take(const QString& path) {
        const std::string bytes = QFile::encodeName(path).toStdString();
        if (sonatag::IsFolder(bytes)) {
            sonatag::WalkFolder(bytes, sonatag::SortNaturally, *this);
        } else if (sonatag::HasMp3Extension(bytes)) {
            files_.append(path);
        }
    }

    void OnFile(const std::string& path) override { files_.append(QFile::decodeName(path.c_str())); }
    void OnUnreadableFolder(const std::string&, int) override { ++unreadableFolders_; }
    bool KeepGoing() override { return going_ = going_ && progress_.Step(static_cast<int>(files_.size())); }

    bool canceled() const { return !going_; }
    void CloseProgress() { progress_.Close(); }
    const QStringList& files() const { return files_; }
    int unreadableFolders() const { return unreadableFolders_; }

private:
    sonatag::ui::WorkProgress progress_;
    bool going_ = true;
    QStringList files_;
    int unreadableFolders_ = 0;
};

QString SummaryText(const QStringList& listedAlready, int unreadableFolders) {
    QStringList parts;
    if (!listedAlready.isEmpty()) {
        QString text = QStringLiteral("以下 %1 个文件已存在于列表中，未再添加：").arg(listedAlready.size());
        text += sonatag::ui::NameList(listedAlready, QStringLiteral("……另有 %1 个文件同样已存在于列表中。"));
        parts.append(text);
    }
    if (unreadableFolders > 0)
        parts.append(QStringLiteral("有 %1 个文件夹无法读取，其中的文件未能添加。").arg(unreadableFolders));
    return parts.join(QStringLiteral("\n\n"));
}

}  // namespace

void CSonatagDlg::AddPaths(const QStringList& paths) {
    PathGathering gathering(this, ProgressDelay());
    for (const QString& path : paths) {
        gathering.Take(path);
        if (gathering.canceled()) return;
    }
    gathering.CloseProgress();
    QSet<QString> listed, toldOf;
    listed.reserve(m_listFiles->count() + gathering.files().size());
    for (int row = 0; row < m_listFiles->count(); ++row) listed.insert(m_listFiles->item(row)->text());
    QStringList added, listedAlready;
    for (const QString& path : gathering.files()) {
        if (listed.contains(path)) {
            // A path named twice, or inside a folder named too, is told of once.
            if (!toldOf.contains(path)) {
                toldOf.insert(path);
                listedAlready.append(path);
            }
        } else {
            listed.insert(path);
            added.append(path);
        }
    }
    m_listFiles->addItems(added);
    ShowFileCount();
    if (!listedAlready.isEmpty() || gathering.unreadableFolders() > 0)
        MessageBox(SummaryText(listedAlready, gathering.unreadableFolders()), QStringLiteral("添加文件"),
                   MB_OK | MB_ICONEXCLAMATION | MB_TOPMOST);
}

void CSonatagDlg::AddPathsAtStart(const QStringList& paths) {
    if (paths.isEmpty()) return;
    QStringList absolute;
    for (const QString& path : paths) absolute.append(QDir::cleanPath(QDir::current().absoluteFilePath(path)));
    QTimer::singleShot(0, this, [this, absolute] { AddPaths(absolute); });
}

void CSonatagDlg::dragEnterEvent(QDragEnterEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (std::any_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); }))
        event->acceptProposedAction();
}

void CSonatagDlg::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) paths.append(url.toLocalFile());
    }
    event->acceptProposedAction();
    // The file manager waits for the drop to end; the walk and its box come after.
    QTimer::singleShot(0, this, [this, paths] { AddPaths(paths); });
}
