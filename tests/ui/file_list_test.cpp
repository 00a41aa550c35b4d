// Add, Remove, Clear and the list's context menu.

#include "tests/support/ui_testing.h"

namespace sonatag::test {

const QString kRemoveQuestion = QStringLiteral("移除文件 0x40034 此操作将移除所有选中的文件，继续吗？");
const QString kClearQuestion = QStringLiteral("清空列表 0x40034 此操作将清空列表中的所有文件，继续吗？");

using FileListTest = UiTest;

TEST_F(FileListTest, AddAppendsInTheOrderChosenWithOneBoxForEachPathInTheListAlready) {
    Add({"/d/a.mp3"});
    Add({"/d/b.mp3", "/d/a.mp3", "/d/A.mp3", "/d/b.mp3", "/d/c.mp3 "});  // a Linux name may end in a space

    EXPECT_EQ(Items(), QStringList({"/d/a.mp3", "/d/b.mp3", "/d/A.mp3", "/d/c.mp3 "}));
    EXPECT_EQ(Caption(IDC_LIST_GROUP), QStringLiteral("文件列表(共 4 个)"));
    EXPECT_EQ(dlg.boxes, QStringList({"错误 0x40010 文件 \"/d/a.mp3\" 已存在于列表中！",
                                      "错误 0x40010 文件 \"/d/b.mp3\" 已存在于列表中！"}));
    // Each box comes when the files chosen before it are in the list.
    EXPECT_EQ(dlg.listCountAtBox, std::vector<int>({2, 3}));
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
    Click("IDC_REMOVE");
    EXPECT_EQ(Items(), QStringList({five[1], five[3]}));
    EXPECT_EQ(Caption(IDC_LIST_GROUP), QStringLiteral("文件列表(共 2 个)"));
    Click("IDC_CLEAR");
    EXPECT_TRUE(Items().isEmpty());
    Click("IDC_REMOVE");  // nothing selected and an empty list: nothing asked
    Click("IDC_CLEAR");
    EXPECT_EQ(dlg.boxes, QStringList({kRemoveQuestion, kClearQuestion, kRemoveQuestion, kClearQuestion}));
}

TEST_F(FileListTest, ARightClickOnTheListAsksForTheMenuAndKeepsTheSelection) {
    Add({"/d/1.mp3", "/d/2.mp3", "/d/3.mp3", "/d/4.mp3", "/d/5.mp3"});
    ClickItem(0);
    ClickItem(1, Qt::ShiftModifier);
    const QPoint item =
        dlg.m_listFiles->viewport()->mapTo(&dlg, dlg.m_listFiles->visualItemRect(dlg.m_listFiles->item(4)).center());
    QTest::mouseClick(dlg.windowHandle(), Qt::RightButton, Qt::NoModifier, item);
    EXPECT_EQ(dlg.menuPoints, std::vector<QPoint>({dlg.mapToGlobal(item)}));
    EXPECT_TRUE(dlg.m_listFiles->item(1)->isSelected() && !dlg.m_listFiles->item(4)->isSelected());
    EXPECT_EQ(dlg.m_listFiles->currentRow(), 1);
}

}  // namespace sonatag::test
