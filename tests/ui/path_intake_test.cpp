// Files and folders dropped on the window or named on the command line; the folder the
// file dialog opens in.

#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>
#include <QtTest/QTest>
#include <filesystem>

#include "platform/list_box.h"
#include "res/resource.h"
#include "tests/ui/ui_testing.h"
#include "ui/path_intake.h"

namespace sonatag::test {
namespace {

class PathIntakeTest : public UiTest {
protected:
    PathIntakeTest() {
        for (const char* name :
             {"专辑/10.mp3", "专辑/2.mp3", "专辑/b/1.MP3", "专辑/.h.mp3", "专辑/封面.jpg", "单曲.mp3"}) {
            std::filesystem::create_directories(std::filesystem::path(dir.file(name)).parent_path());
            WriteBytes(dir.file(name), "x");
        }
    }

    QString Path(const std::string& name) const { return QString::fromStdString(dir.file(name)); }

    // Drops the paths on the window as a file manager does and waits for the list to take them.
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

TEST_F(PathIntakeTest, ADropWalksFoldersInNaturalOrderAndAppendsAfterTheList) {
    // Drops on the list reach the window only while the list takes none itself.
    ASSERT_FALSE(dlg.m_listFiles->viewport()->acceptDrops() || dlg.m_listFiles->acceptDrops());
    Add({Path("单曲.mp3")});
    Drop({Path("专辑"), Path("x.txt"), Path("单曲.mp3")});

    EXPECT_EQ(Items(), QStringList({Path("单曲.mp3"), Path("专辑/2.mp3"), Path("专辑/10.mp3"), Path("专辑/b/1.MP3")}));
    EXPECT_EQ(Caption(IDC_LIST_GROUP), QStringLiteral("文件列表(共 4 个)"));
    EXPECT_EQ(dlg.boxes, QStringList({QStringLiteral("添加文件 0x40030 以下 1 个文件已存在于列表中，未再添加：\n") +
                                      Path("单曲.mp3")}));
}

TEST_F(PathIntakeTest, OneBoxNamesTenPathsInTheListAlreadyAndCountsFoldersThatCannotBeRead) {
    std::filesystem::create_directory(dir.file("many"));
    const TooDeepFolder deep(dir.file("many"), std::string(250, 'd'));  // cannot be opened, even by root
    for (int i = 0; i < 12; ++i) WriteBytes(dir.file("many/" + std::to_string(i) + ".mp3"), "x");
    Drop({Path("many")});
    ASSERT_EQ(Items().size(), 12);
    dlg.boxes.clear();

    Drop({Path("many"), Path("many")});

    EXPECT_EQ(Items().size(), 12);
    QString expected = QStringLiteral("添加文件 0x40030 以下 24 个文件已存在于列表中，未再添加：");
    for (int i = 0; i < 10; ++i) expected += u'\n' + Path("many/" + std::to_string(i) + ".mp3");
    EXPECT_EQ(dlg.boxes, QStringList({expected + QStringLiteral("\n……另有 14 个文件同样已存在于列表中。\n\n"
                                                                "有 2 个文件夹无法读取，其中的文件未能添加。")}));
}

TEST_F(PathIntakeTest, CommandLinePathsAreTakenFromTheCurrentFolderOnceTheWindowRuns) {
    const QString previous = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(dir.path().string()));
    dlg.AddPathsAtStart({"单曲.mp3", "./专辑/b", "专辑/封面.jpg"});
    QDir::setCurrent(previous);
    EXPECT_TRUE(Items().isEmpty());

    QCoreApplication::processEvents();
    EXPECT_EQ(Items(), QStringList({Path("单曲.mp3"), Path("专辑/b/1.MP3")}));
    EXPECT_EQ(Caption(IDC_LIST_GROUP), QStringLiteral("文件列表(共 2 个)"));
    EXPECT_TRUE(dlg.boxes.isEmpty());
}

TEST_F(PathIntakeTest, TheFileDialogOpensInTheFolderOfTheLastAddWhileItExists) {
    const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    const QString first = QFileInfo(music).isDir() ? music : QDir::homePath();
    for (const auto& [remembered, expected] :
         {std::pair{Path("专辑"), Path("专辑")}, {Path("gone"), first}, {"", first}}) {
        ui::RememberAddDialogFolder(remembered);
        EXPECT_EQ(ui::AddDialogFolder(), expected) << remembered.toStdString();
    }
}

}  // namespace
}  // namespace sonatag::test
