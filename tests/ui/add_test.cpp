// Add: choosing files, refusing those in the list already, the count caption.

#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QtTest/QTest>

#include "platform/list_box.h"
#include "res/resource.h"
#include "tests/app/widget_testing.h"
#include "tests/ui/ui_testing.h"

namespace sonatag::test {
namespace {

using AddTest = UiTest;

TEST_F(AddTest, AppendsInTheOrderChosenWithOneBoxForEachPathInTheListAlready) {
    Add({"/d/a.mp3"});
    EXPECT_TRUE(dlg.boxes.empty());
    Add({"/d/b.mp3", "/d/a.mp3", "/d/A.mp3", "/d/b.mp3", "/d/c.mp3"});

    EXPECT_EQ(Items(), QStringList({"/d/a.mp3", "/d/b.mp3", "/d/A.mp3", "/d/c.mp3"}));
    EXPECT_EQ(Caption(IDC_LIST_GROUP), QStringLiteral("文件列表(共 4 个)"));
    EXPECT_TRUE(Selected().empty());
    EXPECT_FALSE(dlg.m_editTitle->isEnabled());
    EXPECT_EQ(dlg.boxes, QStringList({"错误 0x40010 文件 \"/d/a.mp3\" 已存在于列表中！",
                                      "错误 0x40010 文件 \"/d/b.mp3\" 已存在于列表中！"}));
    // Each box comes when the files chosen before it are in the list.
    EXPECT_EQ(dlg.listCountAtBox, std::vector<int>({2, 3}));
}

TEST_F(AddTest, ACancelRewritesTheCaptionAndChangesNothingElse) {
    Add({"/d/a.mp3"});
    dlg.SetDlgItemText(IDC_LIST_GROUP, QStringLiteral("?"));
    dlg.m_editTitle->setEnabled(true);
    Type("IDC_TITLE", QStringLiteral("typed"));

    Add({});

    EXPECT_EQ(Items(), QStringList({"/d/a.mp3"}));
    EXPECT_EQ(Caption(IDC_LIST_GROUP), QStringLiteral("文件列表(共 1 个)"));
    EXPECT_EQ(dlg.m_editTitle->text(), QStringLiteral("typed"));
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

TEST_F(AddTest, TakesEveryChosenFileHoweverLongTheirNames) {
    QStringList chosen;
    for (int i = 0; i < 300; ++i) chosen.append(QStringLiteral("/很长的文件夹名称/第 %1 首歌曲的名字.mp3").arg(i));
    Add(chosen);
    EXPECT_EQ(Items(), chosen);
    EXPECT_EQ(Caption(IDC_LIST_GROUP), QStringLiteral("文件列表(共 300 个)"));
}

TEST_F(AddTest, KeepsAFileNameEndingInWhiteSpaceSoModifyWritesThatFile) {
    const QString spaced = Mp3("song.mp3 "), plain = Mp3("song.mp3");
    const std::string plainBytes = Bytes(plain);
    Add({spaced});
    ASSERT_EQ(Items(), QStringList({spaced}));

    ClickItem(0);
    dlg.m_editTitle->clear();
    Type("IDC_TITLE", QStringLiteral("t"));
    Click("IDOK");

    EXPECT_EQ(TagOf(spaced).at(0), QStringLiteral("t"));
    EXPECT_EQ(Bytes(plain), plainBytes);
}

TEST_F(AddTest, ShowsFileNamesAsPlainText) {
    const QString path = Mp3("<b>x&amp;.mp3");
    Add({path, path});
    ClickItem(0);
    EXPECT_EQ(dlg.m_listFiles->item(0)->text(), path);
    EXPECT_EQ(dlg.boxes, QStringList({QStringLiteral("错误 0x40010 文件 \"%1\" 已存在于列表中！").arg(path)}));
    EXPECT_EQ(Caption(IDC_INFO_GROUP), QStringLiteral("文件信息 - <b>x&amp;.mp3"));
}

// The names the file dialog lists in its folder, once it has read it, and their rows.
QMap<QString, QModelIndex> Listed(QFileDialog* chooser) {
    const QListView* view = chooser->findChild<QListView*>(QStringLiteral("listView"));
    QMap<QString, QModelIndex> rows;
    EXPECT_TRUE(QTest::qWaitFor([&] {
        rows.clear();
        for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row) {
            const QModelIndex index = view->model()->index(row, 0, view->rootIndex());
            rows.insert(index.data().toString(), index);
        }
        return rows.size() >= 3;
    }));
    return rows;
}

TEST_F(AddTest, TheFileDialogOffersMp3FilesInAnyLetterCaseAndReturnsTheChosenPaths) {
    for (const char* name : {"Foo.MP3", "bar.mp3", "歌.Mp3", "notes.txt"}) Mp3(name);
    const QString folder = QString::fromStdString(dir.path().string());
    // The user's part runs in the dialog's own event loop and must close it.
    const auto choose = [&](std::function<void(QFileDialog*)> user) {
        WhenModalOpens([=](QWidget* modal) {
            auto* chooser = qobject_cast<QFileDialog*>(modal);
            if (chooser != nullptr) user(chooser);
            EXPECT_NE(chooser, nullptr) << modal->metaObject()->className();
            if (modal->isVisible()) modal->close();
        });
        return dlg.CSonatagDlg::ChooseFiles();
    };

    EXPECT_TRUE(choose([](QFileDialog* chooser) { QTest::keyClick(chooser, Qt::Key_Escape); }).isEmpty());

    const QStringList chosen = choose([&](QFileDialog* chooser) {
        EXPECT_EQ(chooser->nameFilters(), QStringList({"MP3 音乐文件 (*.mp3)"}));
        EXPECT_EQ(chooser->selectedNameFilter(), QStringLiteral("MP3 音乐文件 (*.mp3)"));
        EXPECT_EQ(chooser->fileMode(), QFileDialog::ExistingFiles);
        EXPECT_EQ(chooser->parentWidget(), &dlg);
        chooser->setDirectory(folder);
        const QMap<QString, QModelIndex> listed = Listed(chooser);
        EXPECT_EQ(listed.keys(), QStringList({"Foo.MP3", "bar.mp3", "歌.Mp3"}));
        auto* selection = chooser->findChild<QListView*>(QStringLiteral("listView"))->selectionModel();
        for (const QString name : {"歌.Mp3", "Foo.MP3"})
            selection->select(listed.value(name), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QMetaObject::invokeMethod(chooser, "accept");
    });
    EXPECT_EQ(chosen, QStringList({folder + "/歌.Mp3", folder + "/Foo.MP3"}));
}

}  // namespace
}  // namespace sonatag::test
