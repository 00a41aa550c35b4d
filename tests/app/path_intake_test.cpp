// Files and folders dropped on the window.

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "tests/support/app_testing.h"

namespace sonatag::test {

using PathIntakeTest = UiTest;

TEST_F(PathIntakeTest, ADropWalksFoldersAndAppendsWhatIsNotInTheListYet) {
    const auto path = [&](const char* name) { return QString::fromStdString(dir.file(name)); };
    for (const char* name : {"专辑/10.mp3", "专辑/2.mp3", "专辑/b/1.MP3", "专辑/封面.jpg", "单曲.mp3"}) {
        std::filesystem::create_directories(std::filesystem::path(dir.file(name)).parent_path());
        WriteBytes(dir.file(name), "x");
    }
    Add({path("单曲.mp3")});
    // Dropped on the window as a file manager does.
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path("专辑")), QUrl::fromLocalFile(path("x.txt")),
                  QUrl::fromLocalFile(path("单曲.mp3")), QUrl::fromLocalFile(path("单曲.mp3"))});
    QDragEnterEvent enter(dlg.rect().center(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&dlg, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(dlg.rect().center(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&dlg, &drop);
    QCoreApplication::processEvents();

    EXPECT_EQ(Items(), QStringList({path("单曲.mp3"), path("专辑/2.mp3"), path("专辑/10.mp3"), path("专辑/b/1.MP3")}));
    EXPECT_EQ(Caption(IDC_LIST_GROUP), QStringLiteral("文件列表(共 4 个)"));
    EXPECT_EQ(dlg.boxes, QStringList({QStringLiteral("添加文件 warning 以下 1 个文件已存在于列表中，未再添加：\n") +
                                      path("单曲.mp3")}));
}

}  // namespace sonatag::test
