// Add, Remove, Clear, the list's context menu, and how screen readers and the keyboard find
// the window's controls.

#include <QAccessible>
#include <QMenu>

#include "platform/dialog_builder.h"
#include "res/dialogs.h"
#include "tests/support/app_testing.h"

namespace sonatag::test {

const QString kRemoveQuestion = QStringLiteral("移除文件 question 此操作将移除所有选中的文件，继续吗？");
const QString kClearQuestion = QStringLiteral("清空列表 question 此操作将清空列表中的所有文件，继续吗？");

using FileListTest = UiTest;

TEST_F(FileListTest, AddAppendsInTheOrderChosenWithOneBoxForEachPathInTheListAlready) {
    const QString turned = QStringLiteral("/d/b\u202Egpj.mp3");  // shows as "/d/bmp3.jpg" where obeyed
    Add({"/d/a.mp3"});
    Add({turned, "/d/a.mp3", "/d/A.mp3", turned, "/d/c.mp3 "});  // a Linux name may end in a space

    EXPECT_EQ(Items(), QStringList({"/d/a.mp3", turned, "/d/A.mp3", "/d/c.mp3 "}));
    EXPECT_EQ(Caption(IDC_LIST_GROUP), QStringLiteral("文件列表(共 4 个)"));
    EXPECT_EQ(dlg.boxes, QStringList({"错误 error 文件 \"/d/a.mp3\" 已存在于列表中！",
                                      "错误 error 文件 \"/d/b\\u202egpj.mp3\" 已存在于列表中！"}));
    // Each box comes when the files chosen before it are in the list.
    EXPECT_EQ(dlg.listCountAtBox, std::vector<int>({2, 3}));
    // The captions that name a file show its hidden controls as codes too.
    ClickItem(1);
    Click("IDC_PLAY");
    EXPECT_EQ(QStringList({Caption(IDC_INFO_GROUP), Caption(IDC_PLAY_GROUP)}),
              QStringList({"文件信息 - b\\u202egpj.mp3", "播放音乐 - b\\u202egpj.mp3"}));
}

TEST_F(FileListTest, RemoveAndClearAskFirstThenEmptyTheSelectionOrTheListAndResetThePanel) {
    QStringList five;
    for (const char* name : {"1.mp3", "2.mp3", "3.mp3", "4.mp3", "5.mp3"}) five.append(Mp3(name));
    Add(five);
    ClickItem(0);
    ClickItem(2, Qt::ControlModifier);
    ClickItem(4, Qt::ControlModifier);
    dlg.answer = IDNO;
    Click("IDC_REMOVE");
    Click("IDC_CLEAR");
    EXPECT_EQ(Items(), five);

    dlg.answer = IDYES;
    Click("IDC_USE_FILE_NAME");
    Click("IDC_REMOVE");
    EXPECT_EQ(Items(), QStringList({five[1], five[3]}));
    EXPECT_EQ(Caption(IDC_LIST_GROUP), QStringLiteral("文件列表(共 2 个)"));
    // The panel names no file once the list is empty; the box keeps its tick.
    EXPECT_EQ(Panel(), QStringLiteral("文件信息 - 5.mp3 [||] () on: modify, ticked"));
    Click("IDC_CLEAR");
    EXPECT_TRUE(Items().isEmpty());
    EXPECT_EQ(Panel(), QStringLiteral("文件信息 [||] () on: modify, ticked"));
    Add(five);
    ClickItem(0);
    Click("IDC_SELECT_ALL");
    Click("IDC_REMOVE");
    EXPECT_EQ(Panel(), QStringLiteral("文件信息 [||] () on: modify, ticked"));
    Click("IDC_REMOVE");  // nothing selected and an empty list: nothing asked
    Click("IDC_CLEAR");
    EXPECT_EQ(dlg.boxes,
              QStringList({kRemoveQuestion, kClearQuestion, kRemoveQuestion, kClearQuestion, kRemoveQuestion}));
}

TEST_F(FileListTest, ARightClickOnTheListAsksForTheMenuWhoseAddedEntriesStandBelowALineAndKeepsTheSelection) {
    Add({"/d/1.mp3", "/d/2.mp3", "/d/3.mp3", "/d/4.mp3", "/d/5.mp3"});
    ClickItem(0);
    ClickItem(1, Qt::ShiftModifier);
    const QPoint item =
        dlg.m_listFiles->viewport()->mapTo(&dlg, dlg.m_listFiles->visualItemRect(dlg.m_listFiles->item(4)).center());
    QTest::mouseClick(dlg.windowHandle(), Qt::RightButton, Qt::NoModifier, item);
    EXPECT_EQ(dlg.menuPoints, std::vector<QPoint>({dlg.mapToGlobal(item)}));
    EXPECT_TRUE(dlg.m_listFiles->item(1)->isSelected() && !dlg.m_listFiles->item(4)->isSelected());
    EXPECT_EQ(dlg.m_listFiles->currentRow(), 1);
    // The entries added to the menu stand below a line, with their shortcuts beside them.
    QStringList entries;
    const std::unique_ptr<QMenu> menu = CreatePopupMenu(kListMenu, &dlg);
    for (const QAction* action : menu->actions())
        entries.append(action->isSeparator() ? "—" : action->text() + ' ' + action->shortcut().toString());
    EXPECT_EQ(entries.join(','),
              "移除当前文件 ,选中全部文件 ,播放当前音乐 ,—,撤销上次修改 Ctrl+Z,"
              "同时写入 ID3v2 标签 Ctrl+M,修复 ID3v2 乱码 Ctrl+R");
}

TEST_F(FileListTest, ScreenReadersFindControlsByNameInTheirGroupsAndTabKeepsItsOrderWithAClearFrame) {
    QStringList found;
    for (const int id : {IDC_TITLE, IDC_ARTIST, IDC_ALBUM, IDC_FILE_LIST}) {
        const QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(dlg.GetDlgItem(id));
        found.append(accessible->text(QAccessible::Name) + " in " + accessible->parent()->text(QAccessible::Name));
    }
    // Then the focus chain, which Tab follows: the template's order.
    for (QWidget* at = dlg.GetDlgItem(IDOK); found.size() < 17; at = at->nextInFocusChain()) {
        if (at->focusPolicy() & Qt::TabFocus && at->objectName().startsWith("ID")) found.append(at->objectName());
    }
    EXPECT_EQ(found.join(", "),
              "标题 in 文件信息, 艺术家 in 文件信息, 专辑 in 文件信息, 文件列表 in 文件列表(共 0 个), IDOK, IDCANCEL, "
              "IDC_ADD, IDC_TITLE, IDC_ARTIST, IDC_FILE_LIST, IDC_CLEAR, IDC_REMOVE, IDC_USE_FILE_NAME, IDC_ALBUM, "
              "IDC_SELECT_ALL, IDC_ABOUT, IDC_PLAY");
    dlg.GetDlgItem(IDC_SELECT_ALL)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);  // on to the image button
    const QWidget* ring = dlg.findChild<QWidget*>(QStringLiteral("focusRing"));
    EXPECT_TRUE(ring && ring->isVisible() && ring->geometry().contains(dlg.GetDlgItem(IDC_ABOUT)->geometry(), true));
}

}  // namespace sonatag::test
