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

TEST_F(AddTest, AppendsTheChosenFilesInTheirOrderAndCountsThem) {
    const QStringList first{"/音乐/c.mp3", "/音乐/a.mp3"};
    Add(first);
    Add({"/音乐/b.mp3"});

    EXPECT_EQ(Items(), QStringList({"/音乐/c.mp3", "/音乐/a.mp3", "/音乐/b.mp3"}));
    EXPECT_EQ(Caption(IDC_LIST_GROUP), QStringLiteral("文件列表(共 3 个)"));
    EXPECT_TRUE(Selected().empty());
    EXPECT_FALSE(dlg.m_editTitle->isEnabled());
    EXPECT_TRUE(dlg.boxes.empty());
}

TEST_F(AddTest, RefusesEachPathInTheListAlreadyWithOneBoxInTheOrderChosen) {
    Add({"/d/a.mp3"});
    Add({"/d/b.mp3", "/d/a.mp3", "/d/A.mp3", "/d/b.mp3", "/d/c.mp3"});

    EXPECT_EQ(Items(), QStringList({"/d/a.mp3", "/d/b.mp3", "/d/A.mp3", "/d/c.mp3"}));
    EXPECT_EQ(Caption(IDC_LIST_GROUP), QStringLiteral("文件列表(共 4 个)"));
    ASSERT_EQ(dlg.boxes.size(), 2u);
    EXPECT_EQ(dlg.boxes[0].text, QStringLiteral("文件 \"/d/a.mp3\" 已存在于列表中！"));
    EXPECT_EQ(dlg.boxes[1].text, QStringLiteral("文件 \"/d/b.mp3\" 已存在于列表中！"));
    for (const Box& box : dlg.boxes) {
        EXPECT_EQ(box.caption, QStringLiteral("错误"));
        EXPECT_EQ(box.type, 0x40010u);
    }
    // Each box comes when the files chosen before it are in the list.
    EXPECT_EQ(dlg.boxes[0].listCount, 2);
    EXPECT_EQ(dlg.boxes[1].listCount, 3);
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
    for (QWidget* control : std::initializer_list<QWidget*>{dlg.m_editTitle, dlg.m_editArtist, dlg.m_editAlbum,
                                                            dlg.m_checkUseFileName})
        EXPECT_FALSE(control->isEnabled());
}

TEST_F(AddTest, TakesEveryChosenFileHoweverLongTheirNames) {
    QStringList chosen;
    for (int i = 0; i < 300; ++i) chosen.append(QStringLiteral("/很长的文件夹名称/第 %1 首歌曲的名字.mp3").arg(i));
    Add(chosen);
    EXPECT_EQ(Items(), chosen);
    EXPECT_EQ(Caption(IDC_LIST_GROUP), QStringLiteral("文件列表(共 300 个)"));
}

TEST_F(AddTest, KeepsAFileNameEndingInWhiteSpaceSoModifyWritesThatFile) {
    const QString spaced = Mp3("song.mp3 ");
    const QString plain = Mp3("song.mp3");
    const std::string plainBytes = Bytes(plain);
    Add({spaced});
    ASSERT_EQ(Items(), QStringList({spaced}));

    ClickItem(0);
    dlg.m_editTitle->clear();
    Type("IDC_TITLE", QStringLiteral("t"));
    Click("IDOK");

    EXPECT_EQ(TagOf(spaced).title, "t");
    EXPECT_EQ(Bytes(plain), plainBytes);
}

TEST_F(AddTest, ShowsFileNamesAsPlainText) {
    const QString path = Mp3("<b>x&amp;.mp3");
    Add({path, path});
    ClickItem(0);
    EXPECT_EQ(dlg.m_listFiles->item(0)->text(), path);
    EXPECT_EQ(dlg.boxes.at(0).text, QStringLiteral("文件 \"%1\" 已存在于列表中！").arg(path));
    EXPECT_EQ(Caption(IDC_INFO_GROUP), QStringLiteral("文件信息 - <b>x&amp;.mp3"));
}

// The file dialog itself, as the user sees it.
class ChooseFilesTest : public UiTest {
protected:
    QStringList RunChooser(std::function<void(QFileDialog*)> user) {
        WhenModalOpens([=](QWidget* modal) {
            auto* chooser = qobject_cast<QFileDialog*>(modal);
            if (chooser == nullptr) {
                ADD_FAILURE() << "not a file dialog: " << modal->metaObject()->className();
                modal->close();
                return;
            }
            user(chooser);
            if (chooser->isVisible()) chooser->reject();  // the user's part did not close it
        });
        return dlg.CSonatagDlg::ChooseFiles();
    }

    // The names the dialog lists in folder, once it has read the folder.
    static QStringList Listed(QFileDialog* chooser, const QString& folder) {
        chooser->setDirectory(folder);
        QStringList names;
        EXPECT_TRUE(QTest::qWaitFor([&] {
            names.clear();
            for (const QModelIndex& index : Rows(chooser)) names.append(index.data().toString());
            return names.size() >= 3;
        }));
        names.sort();
        return names;
    }

    // Selects the file listed under name in the dialog's list of files.
    static void Select(QFileDialog* chooser, const QString& name) {
        auto* view = chooser->findChild<QListView*>(QStringLiteral("listView"));
        for (const QModelIndex& index : Rows(chooser)) {
            if (index.data().toString() == name)
                view->selectionModel()->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }

    static QModelIndexList Rows(QFileDialog* chooser) {
        auto* view = chooser->findChild<QListView*>(QStringLiteral("listView"));
        QModelIndexList rows;
        for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row)
            rows.append(view->model()->index(row, 0, view->rootIndex()));
        return rows;
    }
};

TEST_F(ChooseFilesTest, OffersMp3FilesInAnyLetterCaseAndReturnsTheChosenPaths) {
    for (const char* name : {"Foo.MP3", "bar.mp3", "歌.Mp3", "notes.txt"}) Mp3(name);
    const QString folder = QString::fromStdString(dir.path().string());

    const QStringList chosen = RunChooser([&](QFileDialog* chooser) {
        EXPECT_EQ(chooser->nameFilters(), QStringList({"MP3 音乐文件 (*.mp3)"}));
        EXPECT_EQ(chooser->selectedNameFilter(), QStringLiteral("MP3 音乐文件 (*.mp3)"));
        EXPECT_EQ(chooser->fileMode(), QFileDialog::ExistingFiles);
        EXPECT_EQ(chooser->parentWidget(), &dlg);
        EXPECT_EQ(Listed(chooser, folder), QStringList({"Foo.MP3", "bar.mp3", "歌.Mp3"}));
        Select(chooser, QStringLiteral("歌.Mp3"));
        Select(chooser, QStringLiteral("Foo.MP3"));
        QMetaObject::invokeMethod(chooser, "accept");
    });

    EXPECT_EQ(chosen, QStringList({folder + "/歌.Mp3", folder + "/Foo.MP3"}));
}

TEST_F(ChooseFilesTest, ReturnsNothingWhenTheUserCancels) {
    const QStringList chosen = RunChooser([](QFileDialog* chooser) { QTest::keyClick(chooser, Qt::Key_Escape); });
    EXPECT_TRUE(chosen.isEmpty());
}

}  // namespace
}  // namespace sonatag::test
