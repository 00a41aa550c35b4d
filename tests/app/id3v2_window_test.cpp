// The ID3v2 entries of the list's menu: the mirror option with Modify and Undo, the repair of
// mislabelled GBK frames with its preview, and the tooltip of a file with both tags; the
// entries are reached by their shortcuts.

#include <QLineEdit>

#include "res/resource.h"
#include "tag/id3v2_file.h"
#include "tests/support/app_testing.h"
#include "tests/support/id3v2_bytes.h"
#include "ui/tag_text.h"
#include "ui/user_settings.h"

namespace sonatag::test {
namespace {

// 晴天 in GBK labelled ISO-8859-1, with room for a repair in place.
const std::string kMislabelled = Id3v2TagBytes(3, Id3v2Frame("TIT2", Latin1Payload("\xC7\xE7\xCC\xEC")), 64);

class Id3v2WindowTest : public UiTest {
protected:
    ~Id3v2WindowTest() override { ui::SetMirrorsId3v2(false); }

    QString Mp3WithId3v2(const std::string& name, const std::string& head) {
        const QString path = Mp3(name);
        WriteBytes(path.toStdString(), head + Bytes(path));
        return path;
    }
    // As the menu shows it, read from the settings each time it opens.
    bool MirrorChecked(TestDlg& window) {
        const QRect list(window.m_listFiles->mapToGlobal(QPoint(0, 0)), window.m_listFiles->size());
        window.OnContextMenu(nullptr, list.center());
        return window.menuShown.contains(QStringLiteral("同时写入 ID3v2 标签 (ticked)"));
    }
    static Id3v2Fields Id3v2Of(const QString& path) { return ReadBothTags(path.toStdString()).id3v2.value(); }
};

TEST_F(Id3v2WindowTest, TheMirrorIsOffUntilTickedAndTheClosingBoxSaysWhatPlayersShowInstead) {
    const QString file = Mp3WithId3v2("a.mp3", kMislabelled);
    Add({file});
    ClickItem(0);
    dlg.m_editTitle->setText(QStringLiteral("七里香"));
    Click("IDOK");
    EXPECT_FALSE(MirrorChecked(dlg));
    EXPECT_EQ(Id3v2Of(file).title.text, "ÇçÌì");
    EXPECT_TRUE(dlg.boxes.back().endsWith(
        QStringLiteral("其中 1 个文件另有 ID3v2 标签，播放器会显示其中不同的标题、艺术家或专辑；"
                       "在文件列表的右键菜单中勾选“同时写入 ID3v2 标签”后再修改，两种标签便会一致。")))
        << dlg.boxes.back().toStdString();
    QTest::keyClick(dlg.m_editArtist, Qt::Key_M, Qt::ControlModifier);  // the shortcut works in an edit too
    EXPECT_TRUE(MirrorChecked(dlg));
}

TEST_F(Id3v2WindowTest, WithTheMirrorModifyWritesBothTagsAndUndoRestoresBothOrNamesTheFileOnce) {
    ui::SetMirrorsId3v2(true);
    const QString file = Mp3WithId3v2("a.mp3", kMislabelled);
    const std::string before = Bytes(file);
    Add({file});
    ClickItem(0);
    dlg.m_editArtist->setText(QStringLiteral("周杰伦"));
    Click("IDOK");
    EXPECT_EQ(TagOf(file), QStringList({"", "周杰伦", ""}));
    const Id3v2Fields written = Id3v2Of(file);
    EXPECT_EQ(written.title.text + written.artist.text + written.album.text, "周杰伦");
    QTest::keyClick(dlg.m_listFiles, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Bytes(file), before);

    Click("IDOK");
    WriteBytes(file.toStdString(), "changed since" + Bytes(file));
    QTest::keyClick(dlg.m_listFiles, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(
        dlg.boxes.back().endsWith(QStringLiteral("以下 1 个文件在修改后已有变动或无法打开，未作恢复：\n") + file))
        << dlg.boxes.back().toStdString();

    // A title taken from a name is written in full, as the command-line tool writes it.
    const QString spanish = Mp3("Año.mp3");
    Add({spanish});
    ClickItem(1);
    Click("IDC_USE_FILE_NAME");
    Click("IDOK");
    EXPECT_EQ(Id3v2Of(spanish).title.text, "Año");
}

TEST_F(Id3v2WindowTest, RepairPreviewsTenFilesAtMostAndWritesOnlyAfterAYes) {
    QStringList files;
    for (int i = 0; i < 11; ++i) files.append(Mp3WithId3v2("m" + std::to_string(i) + ".mp3", kMislabelled));
    files.append(Mp3WithId3v2("latin.mp3", Id3v2TagBytes(3, Id3v2Frame("TIT2", Latin1Payload("No\xEBl")))));
    Add(files);
    Click("IDC_SELECT_ALL");
    dlg.progressDelay = std::chrono::milliseconds(0);
    const std::string before = Bytes(files[0]);

    QString preview =
        QStringLiteral("修复 ID3v2 乱码 question 以下 11 个文件的 ID3v2 标签含有 GBK 乱码，将改写为 Unicode：");
    for (int i = 0; i < 10; ++i) preview += '\n' + files[i] + QStringLiteral("\n    标题：ÇçÌì → 晴天");
    preview += QStringLiteral("\n……另有 1 个文件。\n继续吗？");
    dlg.answer = IDNO;
    QTest::keyClick(dlg.m_listFiles, Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(dlg.boxes, QStringList({preview}));
    EXPECT_EQ(Bytes(files[0]), before);

    dlg.answer = IDYES;
    dlg.boxes.clear();
    dlg.OnCmdMsg(ID_LIST_REPAIR_ID3V2, BN_CLICKED);
    EXPECT_EQ(dlg.boxes.value(1), QStringLiteral("修复 ID3v2 乱码 information 已修复 11 个文件的 ID3v2 标签。"));
    EXPECT_EQ(Id3v2Of(files[10]).title.text, "晴天");
    EXPECT_EQ(Id3v2Of(files[11]).title.text, "Noël");

    dlg.boxes.clear();
    dlg.OnCmdMsg(ID_LIST_REPAIR_ID3V2, BN_CLICKED);
    EXPECT_EQ(dlg.boxes, QStringList({"修复 ID3v2 乱码 information 所选文件的 ID3v2 标签中没有 GBK 乱码。"}));
    EXPECT_EQ(dlg.boxesOverProgress, 0);
}

TEST_F(Id3v2WindowTest, TheTooltipShowsBothTagsAndNamesTheOnePlayersShow) {
    EXPECT_EQ(ui::TagToolTip(Mp3WithId3v2("a.mp3", kMislabelled)),
              QStringLiteral("ID3v1 标签：\n标题：无\n艺术家：无\n专辑：无\n\nID3v2.3 标签（播放器显示这一个）：\n"
                             "标题：ÇçÌì（疑似 GBK 乱码，应为：晴天）\n艺术家：无\n专辑：无"));
}

}  // namespace
}  // namespace sonatag::test
