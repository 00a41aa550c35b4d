// Files and folders dropped on the window or named on the command line.

#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "tests/support/ui_testing.h"

namespace sonatag::test {
namespace {

class PathIntakeTest : public UiTest {
protected:
    PathIntakeTest() {
        for (const char* name : {"专辑/10.mp3", "专辑/2.mp3", "专辑/b/1.MP3", "专辑/封面.jpg", "单曲.mp3"}) {
            std::filesystem::create_directories(std::filesystem::path(dir.file(name)).parent_path());
            WriteBytes(dir.file(name), "x");
        }
    }

    QString Path(const std::string& name) const { return QString::fromStdString(dir.file(name)); }

    // Drops the paths on the window as a file manager does.
    void Drop(const QStringList& paths) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& path : paths) urls.append(QUrl::fromLocalFile(path));
        data.setUrls(urls);
        const QPoint where = dlg.rect().center();
        QDragEnterEvent enter(where, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&dlg, &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent drop(where, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&dlg, &drop);
        QCoreApplication::processEvents();
    }
};

TEST_F(PathIntakeTest, ADropWalksFoldersAndAppendsWhatIsNotInTheListYet) {
    Add({Path("单曲.mp3")});
    Drop({Path("专辑"), Path("x.txt"), Path("单曲.mp3")});
    EXPECT_EQ(Items(), QStringList({Path("单曲.mp3"), Path("专辑/2.mp3"), Path("专辑/10.mp3"), Path("专辑/b/1.MP3")}));
    EXPECT_EQ(Caption(IDC_LIST_GROUP), QStringLiteral("文件列表(共 4 个)"));
    EXPECT_EQ(dlg.boxes, QStringList({QStringLiteral("添加文件 0x40030 以下 1 个文件已存在于列表中，未再添加：\n") +
                                      Path("单曲.mp3")}));
}

TEST_F(PathIntakeTest, CommandLinePathsAreTakenFromTheCurrentFolderOnceTheWindowRuns) {
    const QString previous = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(dir.path().string()));
    dlg.AddPathsAtStart({"单曲.mp3", "./专辑/b", "专辑/封面.jpg"});
    QDir::setCurrent(previous);
    EXPECT_TRUE(Items().isEmpty());
    QCoreApplication::processEvents();
    EXPECT_EQ(Items(), QStringList({Path("单曲.mp3"), Path("专辑/b/1.MP3")}));
}

}  // namespace
}  // namespace sonatag::test
