// Undo of the last Modify, the progress of long commands with their cancel, and the list's
// tooltip.

#include <QHelpEvent>
#include <QLineEdit>
#include <QProgressDialog>
#include <QTextDocument>
#include <QToolTip>
#include <QtTest/QTest>
#include <filesystem>

#include "platform/list_box.h"
#include "res/resource.h"
#include "tests/ui/ui_testing.h"

namespace sonatag::test {
namespace {

using namespace std::chrono_literals;

QString UndoQuestion(int files) {
    return QStringLiteral("撤销修改 0x40034 此操作将恢复上次修改的 %1 个文件的ID3信息，继续吗？").arg(files);
}

// Cancels each progress dialog as soon as it shows, so the command stops after its first file.
class CancelOnShow : public QObject {
public:
    CancelOnShow() { qApp->installEventFilter(this); }
    ~CancelOnShow() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::Show && qobject_cast<QProgressDialog*>(object) != nullptr)
            QMetaObject::invokeMethod(object, "cancel", Qt::QueuedConnection);
        return false;
    }
};

class UndoTest : public UiTest {
protected:
    UndoTest()
        : files({Mp3WithTag("a.mp3", {"甲", "乙", "丙"}), Mp3("b.mp3"), Mp3WithTag("c.mp3", {"<b>x</b>", "", ""})}) {
        Add(files);
        before = Contents();
    }

    std::vector<std::string> Contents() const {
        std::vector<std::string> contents;
        for (const QString& file : files) contents.push_back(Bytes(file));
        return contents;
    }
    void ModifyAll() {
        Click("IDC_SELECT_ALL");
        Type("IDC_ARTIST", QStringLiteral("新"));
        Click("IDOK");
        dlg.boxes.clear();
    }
    void Undo(TestDlg& window) {
        window.boxes.clear();
        window.OnCmdMsg(ID_LIST_UNDO, BN_CLICKED);
    }
    bool UndoOffered() {
        const QRect list(dlg.m_listFiles->mapToGlobal(QPoint(0, 0)), dlg.m_listFiles->size());
        dlg.OnContextMenu(nullptr, list.center());
        return dlg.IsMenuItemEnabled(ID_LIST_UNDO);
    }

    QStringList files;
    std::vector<std::string> before;
};

TEST_F(UndoTest, UndoRestoresTheLastModifyAfterAYesAndThenHasNothingLeft) {
    EXPECT_FALSE(UndoOffered());
    ModifyAll();
    ASSERT_NE(Contents(), before);
    EXPECT_TRUE(UndoOffered());

    dlg.answer = IDNO;
    Undo(dlg);
    EXPECT_EQ(dlg.boxes, QStringList({UndoQuestion(3)}));
    EXPECT_NE(Contents(), before);

    dlg.answer = IDYES;
    Undo(dlg);
    EXPECT_EQ(dlg.boxes, QStringList({UndoQuestion(3), QStringLiteral("撤销修改 0x40040 已恢复 3 个文件的ID3信息。")}));
    EXPECT_EQ(Contents(), before);
    EXPECT_FALSE(UndoOffered());
    Undo(dlg);
    EXPECT_TRUE(dlg.boxes.isEmpty());
}

TEST_F(UndoTest, AfterARestartCtrlZOutsideTheEditsUndoesFromTheJournal) {
    ModifyAll();
    TestDlg later;
    later.SetJournalPath(dlg.journalPath());
    later.show();
    later.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&later));

    later.m_editArtist->setEnabled(true);
    later.m_editArtist->setFocus();
    QTest::keyClick(later.m_editArtist, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(later.boxes.isEmpty());

    later.m_listFiles->setFocus();
    QTest::keyClick(later.m_listFiles, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(later.boxes.value(0), UndoQuestion(3));
    EXPECT_EQ(Contents(), before);
}

TEST_F(UndoTest, UndoLeavesAndNamesFilesThatChangedOrCannotBeOpened) {
    ModifyAll();
    WriteBytes(files[1].toStdString(), Bytes(files[1]) + "changed");
    const std::string changed = Bytes(files[1]);
    std::filesystem::remove(files[2].toStdString());

    Undo(dlg);
    EXPECT_EQ(dlg.boxes.value(1),
              "撤销修改 0x40030 已恢复 1 个文件的ID3信息。\n以下 2 个文件在修改后已有变动或无法打开，未作恢复：\n" +
                  files[1] + '\n' + files[2]);
    EXPECT_EQ(Bytes(files[0]), before[0]);
    EXPECT_EQ(Bytes(files[1]), changed);
}

TEST_F(UndoTest, ModifyWritesNothingWhenItCannotKeepItsJournal) {
    WriteBytes(dir.file("state"), "a file where the journal's folder should be");
    ModifyAll();
    EXPECT_EQ(Contents(), before);
    Click("IDOK");
    ASSERT_EQ(dlg.boxes.size(), 2);
    EXPECT_TRUE(dlg.boxes[1].startsWith(QStringLiteral("错误 0x40010 ")) && dlg.boxes[1].contains(dlg.journalPath()))
        << dlg.boxes[1].toStdString();
}

TEST_F(UndoTest, CancelStopsAfterTheCurrentFileAndKeepsWhatWasDone) {
    CancelOnShow cancel;
    dlg.SetProgressDelay(0ms);
    Click("IDC_SELECT_ALL");
    Click("IDOK");  // bottom up: c.mp3 only
    EXPECT_EQ(dlg.boxes.value(1), QStringLiteral("修改信息 0x40030 修改已取消，已修改 1 个文件的信息。"));
    EXPECT_EQ(Contents(), (std::vector{before[0], before[1], Contents()[2]}));
    EXPECT_NE(Contents()[2], before[2]);

    dlg.SetProgressDelay(1h);
    Click("IDOK");
    dlg.SetProgressDelay(0ms);
    Undo(dlg);  // top down: a.mp3 only
    EXPECT_EQ(dlg.boxes.value(1), QStringLiteral("撤销修改 0x40030 撤销已取消，已恢复 1 个文件的ID3信息。"));
    EXPECT_EQ(Bytes(files[0]), before[0]);
    EXPECT_NE(Bytes(files[2]), before[2]);
    EXPECT_TRUE(UndoOffered());

    Add({Mp3("d.mp3"), Mp3("e.mp3")});
    EXPECT_EQ(Items().size(), 4);
}

TEST_F(UndoTest, TheTooltipShowsTheTagAsPlainText) {
    const QString none = QStringLiteral("标题：无\n艺术家：无\n专辑：无");
    const QString expected[] = {QStringLiteral("标题：甲\n艺术家：乙\n专辑：丙"), none,
                                QStringLiteral("标题：<b>x</b>\n艺术家：\n专辑：")};
    CListBox& list = *dlg.m_listFiles;
    for (int row = 0; row < 3; ++row) {
        const QPoint at = list.visualItemRect(list.item(row)).center();
        QHelpEvent help(QEvent::ToolTip, at, list.viewport()->mapToGlobal(at));
        QCoreApplication::sendEvent(list.viewport(), &help);
        EXPECT_EQ(QToolTip::text(), Qt::convertFromPlainText(expected[row], Qt::WhiteSpaceNoWrap)) << row;
    }
}

}  // namespace
}  // namespace sonatag::test
