// Add: choosing files, refusing those in the list already, the count caption.

#include <QFileDialog>
#include <QListView>

#include "tests/support/ui_testing.h"

namespace sonatag::test {
namespace {

using AddTest = UiTest;

TEST_F(AddTest, AppendsInTheOrderChosenWithOneBoxForEachPathInTheListAlready) {
    Add({"/d/a.mp3"});
    EXPECT_TRUE(dlg.boxes.empty());
    Add({"/d/b.mp3", "/d/a.mp3", "/d/A.mp3", "/d/b.mp3", "/d/c.mp3 "});  // a Linux name may end in a space

    EXPECT_EQ(Items(), QStringList({"/d/a.mp3", "/d/b.mp3", "/d/A.mp3", "/d/c.mp3 "}));
    EXPECT_EQ(Caption(IDC_LIST_GROUP), QStringLiteral("文件列表(共 4 个)"));
    EXPECT_TRUE(Selected().empty());
    EXPECT_EQ(dlg.boxes, QStringList({"错误 0x40010 文件 \"/d/a.mp3\" 已存在于列表中！",
                                      "错误 0x40010 文件 \"/d/b.mp3\" 已存在于列表中！"}));
    // Each box comes when the files chosen before it are in the list.
    EXPECT_EQ(dlg.listCountAtBox, std::vector<int>({2, 3}));

    // A cancel rewrites the caption and changes nothing else; long choices are taken whole.
    dlg.SetDlgItemText(IDC_LIST_GROUP, QStringLiteral("?"));
    Add({});
    EXPECT_EQ(Caption(IDC_LIST_GROUP), QStringLiteral("文件列表(共 4 个)"));
    QStringList chosen;
    for (int i = 0; i < 300; ++i) chosen.append(QStringLiteral("/很长的文件夹名称/第 %1 首歌曲的名字.mp3").arg(i));
    Add(chosen);
    EXPECT_EQ(Items().mid(4), chosen);
}

TEST_F(AddTest, PutsTheStoredTextsBackIntoTheStillDisabledEdits) {
    Add({Mp3WithTag("a.mp3", {"标题", "歌手", "专辑"})});
    ClickItem(0);
    Click("IDC_USE_FILE_NAME");
    Click("IDC_CLEAR");
    ASSERT_EQ(EditTexts(), QStringList({"", "", ""}));

    Add({Mp3("b.mp3")});

    EXPECT_EQ(EditTexts(), QStringList({"标题", "歌手", "专辑"}));
    EXPECT_TRUE(dlg.m_checkUseFileName->isChecked());
    ExpectPanelEnabled(false);
}

TEST_F(AddTest, TheFileDialogOffersMp3FilesInAnyLetterCaseAndReturnsTheChosenPaths) {
    for (const char* name : {"Foo.MP3", "bar.mp3", "歌.Mp3", "notes.txt"}) Mp3(name);
    const QString folder = QString::fromStdString(dir.path().string());
    // The user's part runs in the dialog's own event loop and must close it.
    const auto choose = [&](std::function<void(QFileDialog*, QListView*)> user) {
        WhenModalOpens([=](QWidget* modal) {
            auto* chooser = qobject_cast<QFileDialog*>(modal);
            EXPECT_NE(chooser, nullptr) << modal->metaObject()->className();
            if (chooser != nullptr) user(chooser, chooser->findChild<QListView*>(QStringLiteral("listView")));
            if (modal->isVisible()) modal->close();
        });
        return dlg.CSonatagDlg::ChooseFiles();
    };

    EXPECT_TRUE(choose([](QFileDialog* chooser, QListView*) { QTest::keyClick(chooser, Qt::Key_Escape); }).isEmpty());
    const QStringList chosen = choose([&](QFileDialog* chooser, QListView* view) {
        EXPECT_EQ(chooser->selectedNameFilter(), QStringLiteral("MP3 音乐文件 (*.mp3)"));
        EXPECT_EQ(chooser->fileMode(), QFileDialog::ExistingFiles);
        EXPECT_EQ(chooser->parentWidget(), &dlg);
        chooser->setDirectory(folder);
        QMap<QString, QModelIndex> listed;  // once the dialog has read the folder
        EXPECT_TRUE(QTest::qWaitFor([&] {
            for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row) {
                const QModelIndex index = view->model()->index(row, 0, view->rootIndex());
                listed.insert(index.data().toString(), index);
            }
            return listed.size() >= 3;
        }));
        EXPECT_EQ(listed.keys(), QStringList({"Foo.MP3", "bar.mp3", "歌.Mp3"}));
        for (const QString name : {"歌.Mp3", "Foo.MP3"})
            view->selectionModel()->select(listed.value(name), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QMetaObject::invokeMethod(chooser, "accept");
    });
    EXPECT_EQ(chosen, QStringList({folder + "/歌.Mp3", folder + "/Foo.MP3"}));
}

}  // namespace
}  // namespace sonatag::test
