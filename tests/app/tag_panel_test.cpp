// The tag panel: the selection change, the check box that takes titles from file names,
// Modify, and Play with the texts it saves.

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "player/ocx1.h"
#include "tag/tag_file.h"
#include "tests/support/app_testing.h"
#include "ui/tag_text.h"

namespace sonatag::test {

const QString kModifyQuestion = QStringLiteral("修改信息 question 此操作将覆盖所选文件的ID3信息，继续吗？");
const QStringList kModified = {kModifyQuestion, QStringLiteral("恭喜 information 文件信息修改成功！")};

class TagPanelTest : public UiTest {
protected:
    TagPanelTest()
        : tagged(Mp3("星晴.mp3", {"星晴", "周杰伦", "Jay"})),
          untagged(Mp3("无题.mp3")),
          tooShort(QString::fromStdString(dir.file("短.mp3"))) {
        WriteBytes(tooShort.toStdString(), std::string(100, 'x'));  // too short for a block
    }

    // Selects rows (ascending) as the user would, with the caret on the last, and clicks
    // Modify; without rows, keeps the selection.
    void Modify(std::initializer_list<int> rows = {}) {
        for (auto row = rows.begin(); row != rows.end(); ++row)
            ClickItem(*row, row == rows.begin() ? Qt::NoModifier : Qt::ControlModifier);
        dlg.boxes.clear();
        Click("IDOK");
    }

    QString tagged, untagged, tooShort;
};

TEST_F(TagPanelTest, ShowsTheTagOfTheCaretFileOrKeepsThePreviousTextsForAFileTooShortWhoseTooltipSaysSo) {
    Add({untagged, tagged, tooShort});
    ClickItem(1);
    EXPECT_EQ(EditTexts(), QStringList({"星晴", "周杰伦", "Jay"}));
    QTest::keyClick(dlg.m_listFiles, Qt::Key_Down);
    EXPECT_EQ(EditTexts(), QStringList({"星晴", "周杰伦", "Jay"}));
    ClickItem(0);
    EXPECT_EQ(EditTexts(), QStringList({"", "", ""}));  // "无" shows in their place, as their placeholder
    EXPECT_EQ(dlg.m_editAlbum->placeholderText(), QStringLiteral("无"));
    EXPECT_TRUE(dlg.boxes.empty());
    EXPECT_EQ(ui::TagToolTip(tooShort), QStringLiteral("文件不足 128 字节，放不下 ID3 信息。"));

    // The box switches the title between the file's name and the title typed before.
    TypeText(dlg.m_editTitle, QStringLiteral("曲"));
    Click("IDC_USE_FILE_NAME");
    EXPECT_EQ(EditTexts(), QStringList({"无题", "", ""}));  // the name without ".mp3"
    EXPECT_FALSE(dlg.m_editTitle->isEnabled());
    Click("IDC_USE_FILE_NAME");
    EXPECT_EQ(dlg.m_editTitle->text(), QStringLiteral("曲"));
}

TEST_F(TagPanelTest, WithTheBoxTickedEachFileGetsItsOwnNameTrimmedAndTheEditEndsWithTheTopOne) {
    const QString first = Mp3(" 第一首 .mp3"), second = Mp3("second.mp3");
    Add({first, tagged, second});
    ClickItem(0);
    ClickItem(1, Qt::ControlModifier);
    ClickItem(2, Qt::ControlModifier);
    Click("IDC_USE_FILE_NAME");
    // Only ASCII white space is trimmed, from what is written; the edits keep it.
    dlg.m_editArtist->setText(QStringLiteral("\t歌手 \n"));
    dlg.m_editAlbum->setText(QStringLiteral(" 专辑\u3000"));

    Modify();

    EXPECT_EQ(dlg.boxes, kModified);
    EXPECT_EQ(TagOf(first), QStringList({"第一首", "歌手", "专辑\u3000"}));
    EXPECT_EQ(TagOf(tagged), QStringList({"星晴", "歌手", "专辑\u3000"}));
    EXPECT_EQ(TagOf(second), QStringList({"second", "歌手", "专辑\u3000"}));
    EXPECT_EQ(EditTexts(), QStringList({"第一首", "\t歌手 \n", " 专辑\u3000"}));
    // Play keeps the texts written, which show again when the file playing is selected.
    Click("IDC_PLAY");
    ClickItem(0);
    ClickItem(2);
    EXPECT_EQ(EditTexts(), QStringList({"second", "歌手", "专辑\u3000"}));
}

TEST_F(TagPanelTest, NamesTheFilesTooShortForATagInsteadOfClaimingSuccess) {
    QStringList shortFiles = {tooShort};
    for (int i = 0; i < 11; ++i) {
        shortFiles.append(QString::fromStdString(dir.file("短" + std::to_string(i) + ".mp3")));
        WriteBytes(shortFiles.back().toStdString(), std::string(100, 'x'));
    }
    Add(shortFiles);
    Add({tagged});
    ClickItem(12);
    Click("IDC_SELECT_ALL");
    dlg.m_editTitle->setText(QStringLiteral(" \v标题\t"));
    Modify();

    EXPECT_EQ(TagOf(tagged).at(0), QStringLiteral("标题"));
    EXPECT_EQ(Bytes(tooShort), std::string(100, 'x'));
    // At most ten names, in the list's order, then how many more.
    ASSERT_EQ(dlg.boxes.size(), 2);
    EXPECT_EQ(dlg.boxes[1].split(u'\n'), QStringList({QStringLiteral("修改信息 warning 已修改 1 个文件的信息。"),
                                                      "以下 12 个文件不足 128 字节，放不下 ID3 信息，未作修改："}) +
                                             shortFiles.first(10) + QStringList({"……另有 2 个文件同样未作修改。"}));
}

TEST_F(TagPanelTest, WritesBottomUpAndStopsAtTheFirstFileThatCannotBeWritten) {
    const QString top = Mp3("top.mp3"), middle = Mp3("middle.mp3"), bottom = Mp3("bottom.mp3");
    const std::string untouched = Bytes(top);
    Add({top, middle, bottom});
    ClickItem(0);
    Click("IDC_USE_FILE_NAME");
    const int holder = ::open(middle.toUtf8().constData(), O_RDONLY | O_CLOEXEC);  // as another program would
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);
    Modify({0, 1, 2});
    ::close(holder);

    ASSERT_EQ(dlg.boxes.size(), 2);
    EXPECT_TRUE(dlg.boxes[1].startsWith(QStringLiteral("错误 error ")) && dlg.boxes[1].contains(middle));
    EXPECT_EQ(TagOf(bottom).at(0), QStringLiteral("bottom"));
    EXPECT_EQ(Bytes(middle), untouched);
    EXPECT_EQ(Bytes(top), untouched);
    EXPECT_EQ(dlg.m_editTitle->text(), QStringLiteral("middle"));
}

TEST_F(TagPanelTest, EnterRunsModifyWhichWritesNothingWithoutASelectionFromAPanelShowingNoFileOrAfterANo) {
    const std::string before = Bytes(tagged);
    Add({tagged});
    Click("IDOK");
    EXPECT_TRUE(dlg.boxes.empty());
    Click("IDC_SELECT_ALL");  // selected by the program: the disabled panel shows no file
    Click("IDOK");
    dlg.answer = IDNO;
    ClickItem(0);
    dlg.m_editArtist->setFocus();
    QTest::keyClick(dlg.m_editArtist, Qt::Key_Return);  // runs Modify, the default button, and never closes the window
    EXPECT_EQ(dlg.boxes,
              QStringList({"修改信息 information “文件信息”中的标题、艺术家和专辑尚不可编辑，没有可写入的内容。"
                           "请先在文件列表中选择文件。",
                           kModifyQuestion}));
    EXPECT_EQ(Bytes(tagged), before);
    EXPECT_TRUE(dlg.isVisible());
}

TEST_F(TagPanelTest, PlayTakesTheCaretItemWhoseSavedTextsShowWithModifyDisabledWhenSelected) {
    Add({untagged, tagged});
    Click("IDC_PLAY");
    EXPECT_EQ(dlg.m_player->get_URL(), untagged);  // without a caret, the first
    ClickItem(1);
    ClickItem(0, Qt::ControlModifier);
    ClickItem(1, Qt::ControlModifier);  // deselected, but the caret
    dlg.m_editTitle->setText(QStringLiteral("typed since"));
    Click("IDC_PLAY");
    EXPECT_EQ(dlg.m_player->get_URL(), tagged);
    EXPECT_EQ(Caption(IDC_PLAY_GROUP), QStringLiteral("播放音乐 - 星晴.mp3"));
    const QStringList saved = {"星晴", "周杰伦", "Jay"};
    EXPECT_EQ(QStringList({dlg.m_strSavedTitle, dlg.m_strSavedArtist, dlg.m_strSavedAlbum}), saved);
    EXPECT_FALSE(Enabled(IDOK));

    WriteTagFields(tagged.toStdString(), "changed", "on", "disk");
    ClickItem(0);
    EXPECT_TRUE(Enabled(IDOK));
    ClickItem(1);
    EXPECT_EQ(EditTexts(), saved);
    EXPECT_FALSE(Enabled(IDOK));

    // A file without a tag plays with "无" in its empty edits; a file no longer playing is read
    // again; with nothing selected, artist and album take no typing, and the title follows the box.
    ClickItem(0);
    Click("IDC_PLAY");
    ClickItem(1);
    ClickItem(0);
    EXPECT_EQ(Panel(), QStringLiteral("文件信息 - 无题.mp3 [||] (无) on: box title artist album"));
    ClickItem(1);
    ClickItem(1, Qt::ControlModifier);
    EXPECT_EQ(Panel(), QStringLiteral("文件信息 - 星晴.mp3 [changed|on|disk] () on: title modify"));
    Click("IDC_CLEAR");
    Click("IDC_PLAY");  // on an empty list, unloads the player
    EXPECT_EQ(dlg.m_player->get_URL(), QString());
}

}  // namespace sonatag::test
