// The tag panel: the selection change, the check box that takes titles from file names, and
// Modify.

#include <QCheckBox>
#include <QLineEdit>
#include <QtTest/QTest>
#include <filesystem>

#include "platform/list_box.h"
#include "res/resource.h"
#include "tests/ui/ui_testing.h"

namespace sonatag::test {
namespace {

class TagPanelTest : public UiTest {
protected:
    TagPanelTest()
        : tagged(Mp3WithTag("星晴.mp3", {"星晴", "周杰伦", "Jay"})),
          untagged(Mp3("无题.mp3")),
          tooShort(ShortFile("短.mp3")) {}

    void ExpectPanelEnabled(bool enabled) {
        for (QWidget* control : std::initializer_list<QWidget*>{dlg.m_checkUseFileName, dlg.m_editTitle,
                                                                dlg.m_editArtist, dlg.m_editAlbum})
            EXPECT_EQ(control->isEnabled(), enabled) << control->objectName().toStdString();
    }

    // Selects rows (ascending) as the user would, with the caret on the last.
    void Select(std::initializer_list<int> rows) {
        ClickItem(*rows.begin());
        for (auto row = rows.begin() + 1; row != rows.end(); ++row) ClickItem(*row, Qt::ControlModifier);
    }

    void Modify() {
        dlg.boxes.clear();
        Click("IDOK");
    }

    void Modify(std::initializer_list<int> rows) {
        Select(rows);
        Modify();
    }

    void ExpectSuccessBox() {
        ASSERT_EQ(dlg.boxes.size(), 2u);
        EXPECT_EQ(dlg.boxes[0].text, QStringLiteral("此操作将覆盖所选文件的ID3信息，继续吗？"));
        EXPECT_EQ(dlg.boxes[0].caption, QStringLiteral("修改信息"));
        EXPECT_EQ(dlg.boxes[0].type, 0x40034u);
        EXPECT_EQ(dlg.boxes[1].text, QStringLiteral("文件信息修改成功！"));
        EXPECT_EQ(dlg.boxes[1].caption, QStringLiteral("恭喜"));
        EXPECT_EQ(dlg.boxes[1].type, 0x40040u);
    }

    void ExpectFileErrorBox(const Box& box, const QString& path) {
        EXPECT_EQ(box.caption, QStringLiteral("错误"));
        EXPECT_EQ(box.type, 0x40010u);
        EXPECT_TRUE(box.text.contains(path)) << box.text.toStdString();
    }

    QString tagged, untagged, tooShort;
};

// --- the selection change ---

TEST_F(TagPanelTest, ShowsTheTagOfTheCaretFileAndOpensThePanel) {
    Add({untagged, tagged});
    ClickItem(1);
    EXPECT_EQ(Caption(IDC_INFO_GROUP), QStringLiteral("文件信息 - 星晴.mp3"));
    EXPECT_EQ(EditTexts(), QStringList({"星晴", "周杰伦", "Jay"}));
    ExpectPanelEnabled(true);
    EXPECT_TRUE(Enabled(IDOK));
    EXPECT_EQ(dlg.m_strArtist, QStringLiteral("周杰伦"));

    QTest::keyClick(dlg.m_listFiles, Qt::Key_Up);
    EXPECT_EQ(Caption(IDC_INFO_GROUP), QStringLiteral("文件信息 - 无题.mp3"));
    EXPECT_EQ(EditTexts(), QStringList({"无", "无", "无"}));
}

TEST_F(TagPanelTest, AFileTooShortForATagKeepsThePreviousTexts) {
    Add({tagged, tooShort});
    ClickItem(0);
    ClickItem(1);
    EXPECT_EQ(Caption(IDC_INFO_GROUP), QStringLiteral("文件信息 - 短.mp3"));
    EXPECT_EQ(EditTexts(), QStringList({"星晴", "周杰伦", "Jay"}));
    EXPECT_TRUE(dlg.boxes.empty());
}

TEST_F(TagPanelTest, AnUnreadableFileGivesOneErrorBoxAfterTheCaptionChanged) {
    Add({tagged, untagged});
    ClickItem(0);
    dlg.m_editTitle->clear();
    dlg.GetDlgItem(IDOK)->setEnabled(false);
    const HeldLock lock(untagged);

    ClickItem(1);

    ASSERT_EQ(dlg.boxes.size(), 1u);
    ExpectFileErrorBox(dlg.boxes[0], untagged);
    EXPECT_EQ(Caption(IDC_INFO_GROUP), QStringLiteral("文件信息 - 无题.mp3"));
    EXPECT_EQ(EditTexts(), QStringList({"", "周杰伦", "Jay"}));
    EXPECT_EQ(dlg.m_strTitle, QStringLiteral("星晴"));
    ExpectPanelEnabled(true);
    EXPECT_FALSE(Enabled(IDOK));
}

TEST_F(TagPanelTest, DeselectingTheLastSelectedItemClosesAllButTheTitle) {
    Add({tagged, untagged});
    ClickItem(0);
    dlg.GetDlgItem(IDOK)->setEnabled(false);
    ClickItem(0, Qt::ControlModifier);

    EXPECT_TRUE(Selected().empty());
    EXPECT_EQ(EditTexts(), QStringList({"星晴", "周杰伦", "Jay"}));
    EXPECT_FALSE(dlg.m_checkUseFileName->isEnabled());
    EXPECT_FALSE(dlg.m_editArtist->isEnabled());
    EXPECT_FALSE(dlg.m_editAlbum->isEnabled());
    EXPECT_TRUE(dlg.m_editTitle->isEnabled());
    EXPECT_TRUE(Enabled(IDOK));
}

// --- the check box ---

TEST_F(TagPanelTest, TheBoxSwitchesTheTitleBetweenTheFileNameAndTheTitleBefore) {
    Add({tagged, untagged});
    ClickItem(0);

    Click("IDC_USE_FILE_NAME");
    EXPECT_EQ(dlg.m_editTitle->text(), QStringLiteral("星晴"));  // the name without ".mp3"
    EXPECT_FALSE(dlg.m_editTitle->isEnabled());
    ClickItem(1);
    EXPECT_EQ(EditTexts(), QStringList({"无题", "无", "无"}));
    EXPECT_FALSE(dlg.m_editTitle->isEnabled());

    Click("IDC_USE_FILE_NAME");
    EXPECT_EQ(dlg.m_editTitle->text(), QStringLiteral("无"));
    EXPECT_TRUE(dlg.m_editTitle->isEnabled());

    Type("IDC_TITLE", QStringLiteral("手写"));
    Click("IDC_USE_FILE_NAME");
    Click("IDC_USE_FILE_NAME");
    EXPECT_EQ(dlg.m_editTitle->text(), QStringLiteral("无手写"));
    EXPECT_TRUE(dlg.m_editTitle->isEnabled());
}

// --- Modify ---

TEST_F(TagPanelTest, WithTheBoxTickedEachFileGetsItsOwnNameAndTheEditEndsWithTheTopOne) {
    const QString first = Mp3(" 第一首 .mp3"), second = Mp3("second.mp3");
    Add({first, tagged, second});
    Select({0, 1, 2});
    Click("IDC_USE_FILE_NAME");
    dlg.m_editArtist->clear();
    Type("IDC_ARTIST", QStringLiteral("歌手"));
    dlg.m_editAlbum->clear();

    Modify();

    ExpectSuccessBox();
    EXPECT_EQ(TagOf(first), (Tag{"第一首", "歌手", ""}));
    EXPECT_EQ(TagOf(tagged), (Tag{"星晴", "歌手", ""}));
    EXPECT_EQ(TagOf(second), (Tag{"second", "歌手", ""}));
    EXPECT_EQ(dlg.m_editTitle->text(), QStringLiteral("第一首"));
    EXPECT_EQ(Selected(), std::vector<int>({0, 1, 2}));
    EXPECT_EQ(Caption(IDC_INFO_GROUP), QStringLiteral("文件信息 - second.mp3"));
}

TEST_F(TagPanelTest, TrimsOnlyAsciiWhiteSpaceFromTheWrittenTextsAndLeavesTheEdits) {
    Add({tagged});
    ClickItem(0);
    for (QLineEdit* edit : {dlg.m_editTitle, dlg.m_editArtist, dlg.m_editAlbum}) edit->clear();
    Type("IDC_TITLE", QStringLiteral("  abc"));
    Type("IDC_ARTIST", QStringLiteral("歌手 "));
    Type("IDC_ALBUM", QStringLiteral("专辑\u3000"));

    Modify();

    ExpectSuccessBox();
    EXPECT_EQ(TagOf(tagged), (Tag{"abc", "歌手", "专辑\u3000"}));
    EXPECT_EQ(EditTexts(), QStringList({"  abc", "歌手 ", "专辑\u3000"}));
}

TEST_F(TagPanelTest, WritesNoMoreThanThirtyBytesAndNeverHalfACharacter) {
    const auto repeat = [](int count) {
        std::string text;
        for (int i = 0; i < count; ++i) text += "长";
        return text;
    };
    const QString even = Mp3(repeat(20) + ".mp3"), odd = Mp3("a" + repeat(20) + ".mp3");
    Add({even, odd});
    ClickItem(0);
    Click("IDC_USE_FILE_NAME");

    Modify({0, 1});

    ExpectSuccessBox();
    EXPECT_EQ(TagOf(even).title, repeat(15));
    EXPECT_EQ(TagOf(odd).title, "a" + repeat(14));
}

TEST_F(TagPanelTest, AppendsABlockToAFileWithoutOneAndWritesWhatTheEditsShow) {
    const std::string audio = Bytes(untagged);
    Add({untagged});
    ClickItem(0);

    Modify({0});

    ExpectSuccessBox();
    const std::string after = Bytes(untagged);
    EXPECT_EQ(after.size(), audio.size() + 128);
    EXPECT_EQ(after.substr(0, audio.size()), audio);
    EXPECT_EQ(TagOf(untagged), (Tag{"无", "无", "无"}));
}

TEST_F(TagPanelTest, NamesTheFilesTooShortForATagInsteadOfClaimingSuccess) {
    Add({tooShort, tagged});
    ClickItem(1);

    Modify({0, 1});

    ASSERT_EQ(dlg.boxes.size(), 2u);
    EXPECT_EQ(dlg.boxes[1].text, QStringLiteral("已修改 1 个文件的信息。\n"
                                                 "以下 1 个文件不足 128 字节，放不下 ID3 信息，未作修改：\n") +
                                     tooShort);
    EXPECT_EQ(dlg.boxes[1].caption, QStringLiteral("修改信息"));
    EXPECT_EQ(dlg.boxes[1].type, 0x40030u);
    EXPECT_EQ(Bytes(tooShort), std::string(100, 'x'));
}

TEST_F(TagPanelTest, NamesAtMostTenTooShortFilesAndCountsTheRest) {
    QStringList shortFiles;
    for (int i = 0; i < 12; ++i) shortFiles.append(ShortFile("短" + std::to_string(i) + ".mp3"));
    Add(shortFiles);
    ClickItem(0);
    Click("IDC_SELECT_ALL");
    Click("IDOK");

    ASSERT_EQ(dlg.boxes.size(), 2u);
    const QStringList lines = dlg.boxes[1].text.split(u'\n');
    ASSERT_EQ(lines.size(), 13);
    EXPECT_EQ(lines[0], QStringLiteral("已修改 0 个文件的信息。"));
    EXPECT_EQ(lines[1], QStringLiteral("以下 12 个文件不足 128 字节，放不下 ID3 信息，未作修改："));
    EXPECT_EQ(lines.mid(2, 10), shortFiles.first(10));
    EXPECT_EQ(lines[12], QStringLiteral("……另有 2 个文件同样未作修改。"));
}

TEST_F(TagPanelTest, StopsAtTheFirstFileThatCannotBeWrittenKeepingWhatWasWritten) {
    const QString top = Mp3("top.mp3"), middle = Mp3("middle.mp3"), bottom = Mp3("bottom.mp3");
    const std::string untouched = Bytes(top);
    Add({top, middle, bottom});
    ClickItem(0);
    Click("IDC_USE_FILE_NAME");
    const HeldLock lock(middle);

    Modify({0, 1, 2});

    ASSERT_EQ(dlg.boxes.size(), 2u);
    ExpectFileErrorBox(dlg.boxes[1], middle);
    EXPECT_EQ(TagOf(bottom).title, "bottom");
    EXPECT_EQ(Bytes(middle), untouched);
    EXPECT_EQ(Bytes(top), untouched);
    EXPECT_EQ(dlg.m_editTitle->text(), QStringLiteral("middle"));
    EXPECT_TRUE(dlg.isVisible());
}

// Mode bits do not stop root, who runs the tests; a folder in place of a file always fails.
TEST_F(TagPanelTest, AFileThatCannotBeOpenedForWritingEndsModifyBeforeTheOthers) {
    const QString folder = QString::fromStdString(dir.file("folder.mp3"));
    std::filesystem::create_directory(folder.toStdString());
    const std::string untouched = Bytes(untagged);
    Add({untagged, folder});
    Click("IDC_SELECT_ALL");
    Click("IDOK");

    ASSERT_EQ(dlg.boxes.size(), 2u);
    ExpectFileErrorBox(dlg.boxes[1], folder);
    EXPECT_EQ(Bytes(untagged), untouched);
}

TEST_F(TagPanelTest, WritesNothingWithoutASelectionOrAfterANo) {
    const std::string before = Bytes(tagged);
    Add({tagged});
    Click("IDOK");
    EXPECT_TRUE(dlg.boxes.empty());

    dlg.answer = IDNO;
    Modify({0});
    EXPECT_EQ(dlg.boxes.size(), 1u);
    EXPECT_EQ(Bytes(tagged), before);
}

TEST_F(TagPanelTest, EnterInAnEditRunsModifyAndTheWindowStaysOpen) {
    Add({tagged});
    ClickItem(0);
    dlg.m_editAlbum->setFocus();
    QTest::keyClick(dlg.m_editAlbum, Qt::Key_Return);
    ExpectSuccessBox();
    EXPECT_TRUE(dlg.isVisible());
}

}  // namespace
}  // namespace sonatag::test
