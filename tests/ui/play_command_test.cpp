// Play: the caret item goes to the player, and the panel shows the saved texts for it.

#include "player/ocx1.h"
#include "tag/tag_file.h"
#include "tests/support/ui_testing.h"

namespace sonatag::test {
namespace {

class PlayTest : public UiTest {
protected:
    PlayTest()
        : first(Mp3("a.mp3", {"一", "歌手一", "专辑一"})), second(Mp3(" 第 二 .mp3", {"二", "歌手二", "专辑二"})) {
        Add({first, second, Mp3("A.mp3")});
    }

    QStringList Saved() const { return {dlg.m_strSavedTitle, dlg.m_strSavedArtist, dlg.m_strSavedAlbum}; }
    QString Playing() const { return dlg.m_player->get_URL(); }

    QString first, second;
};

TEST_F(PlayTest, PlaysTheCaretItemAndShowsItsSavedTextsWithModifyDisabledWhenSelected) {
    Click("IDC_PLAY");
    EXPECT_EQ(Playing(), first);

    ClickItem(1);
    ClickItem(2, Qt::ControlModifier);
    ClickItem(1, Qt::ControlModifier);  // deselected, but the caret
    dlg.m_editTitle->setText(QStringLiteral("typed since"));
    Click("IDC_PLAY");
    EXPECT_EQ(Playing(), second);
    EXPECT_EQ(Caption(IDC_PLAY_GROUP), QStringLiteral("播放音乐 - 第 二 .mp3"));
    EXPECT_EQ(Saved(), QStringList({"二", "歌手二", "专辑二"}));
    WriteTagFields(second.toStdString(), "changed", "on", "disk");

    ClickItem(2);
    EXPECT_TRUE(Enabled(IDOK));
    ClickItem(1);
    EXPECT_EQ(EditTexts(), QStringList({"二", "歌手二", "专辑二"}));
    EXPECT_FALSE(Enabled(IDOK));

    // On an empty list Play unloads the player and leaves the saved texts.
    Click("IDC_CLEAR");
    Click("IDC_PLAY");
    EXPECT_EQ(Playing(), QString());
    EXPECT_EQ(Saved(), QStringList({"二", "歌手二", "专辑二"}));
}

}  // namespace
}  // namespace sonatag::test
