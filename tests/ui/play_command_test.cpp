// Play: the caret item goes to the player, and the panel shows the saved texts for it.

#include "player/ocx1.h"
#include "tag/tag_file.h"
#include "tests/support/ui_testing.h"

namespace sonatag::test {
namespace {

class PlayTest : public UiTest {
protected:
    PlayTest()
        : first(Mp3WithTag("a.mp3", {"一", "歌手一", "专辑一"})),
          second(Mp3WithTag(" 第 二 .mp3", {"二", "歌手二", "专辑二"})),
          third(Mp3("A.mp3")) {  // differs from the first only in letter case
        Add({first, second, third});
    }

    QStringList Saved() const { return {dlg.m_strSavedTitle, dlg.m_strSavedArtist, dlg.m_strSavedAlbum}; }
    QString Playing() const { return dlg.m_player->get_URL(); }

    QString first, second, third;
};

TEST_F(PlayTest, PlaysTheCaretItemOrElseTheFirstAndSavesTheExchangedTexts) {
    Click("IDC_PLAY");
    EXPECT_EQ(Playing(), first);
    EXPECT_EQ(Caption(IDC_PLAY_GROUP), QStringLiteral("播放音乐 - a.mp3"));

    ClickItem(1);
    ClickItem(2, Qt::ControlModifier);
    ClickItem(1, Qt::ControlModifier);  // deselected, but the caret
    Type("IDC_TITLE", QStringLiteral("typed since"));
    Click("IDC_PLAY");
    EXPECT_EQ(Playing(), second);
    EXPECT_EQ(Caption(IDC_PLAY_GROUP), QStringLiteral("播放音乐 - 第 二 .mp3"));
    EXPECT_FALSE(Enabled(IDOK));
    EXPECT_EQ(Saved(), QStringList({"二", "歌手二", "专辑二"}));

    // Playing again saves the texts exchanged since; the check box exchanges the edits.
    dlg.m_editTitle->clear();
    Type("IDC_TITLE", QStringLiteral("新"));
    Click("IDC_USE_FILE_NAME");
    Click("IDC_PLAY");
    EXPECT_EQ(Saved(), QStringList({"新", "歌手二", "专辑二"}));
}

TEST_F(PlayTest, SelectingThePlayedFileShowsTheSavedTextsWithModifyDisabled) {
    ClickItem(0);
    Click("IDC_PLAY");
    WriteTagFields(first.toStdString(), "changed", "on", "disk");

    ClickItem(2);
    EXPECT_TRUE(Enabled(IDOK));
    EXPECT_EQ(EditTexts(), QStringList({"无", "无", "无"}));
    ClickItem(0);
    EXPECT_EQ(EditTexts(), QStringList({"一", "歌手一", "专辑一"}));
    EXPECT_FALSE(Enabled(IDOK));
    EXPECT_EQ(Caption(IDC_INFO_GROUP), QStringLiteral("文件信息 - a.mp3"));

    // On an empty list Play unloads the player and leaves the saved texts.
    Click("IDC_CLEAR");
    Click("IDC_PLAY");
    EXPECT_EQ(Playing(), QString());
    EXPECT_EQ(Caption(IDC_PLAY_GROUP), QStringLiteral("播放音乐"));
    EXPECT_EQ(Saved(), QStringList({"一", "歌手一", "专辑一"}));
}

TEST_F(PlayTest, ADoubleClickPlaysTheItemAndTheMenuCommandPlaysTheCaret) {
    // A missing file: the player shows it and starts no playback, which this test has no need of.
    const QString missing = QString::fromStdString(dir.file("missing.mp3"));
    Add({missing});
    ClickItem(0);
    QTest::mouseDClick(dlg.windowHandle(), Qt::LeftButton, Qt::NoModifier, InWindow(3));
    EXPECT_EQ(Playing(), missing);

    ClickItem(1);
    dlg.realMenus = true;
    WhenPopupOpens([](QWidget* popup) {
        for (int down = 0; down < 3; ++down) QTest::keyClick(popup, Qt::Key_Down);
        QTest::keyClick(popup, Qt::Key_Return);
    });
    QTest::mouseClick(dlg.windowHandle(), Qt::RightButton, Qt::NoModifier, InWindow(2));
    EXPECT_EQ(Playing(), second);
}

}  // namespace
}  // namespace sonatag::test
