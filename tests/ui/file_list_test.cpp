// Remove, Clear, Select all and the list's context menu.

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QScrollBar>

#include "player/ocx1.h"
#include "tests/support/ui_testing.h"

namespace sonatag::test {
namespace {

const QString kRemoveQuestion = QStringLiteral("移除文件 0x40034 此操作将移除所有选中的文件，继续吗？");
const QString kClearQuestion = QStringLiteral("清空列表 0x40034 此操作将清空列表中的所有文件，继续吗？");

class FileListTest : public UiTest {
protected:
    FileListTest() {
        for (const char* name : {"1.mp3", "2.mp3", "3.mp3", "4.mp3", "5.mp3"}) five.append(Mp3(name));
        Add(five);
    }

    // The panel showing the fifth file with its box ticked, and three files selected.
    void ThreeSelected() {
        ClickItem(0);
        ClickItem(2, Qt::ControlModifier);
        ClickItem(4, Qt::ControlModifier);
        Click("IDC_USE_FILE_NAME");
    }

    void ExpectPanelReset() {
        EXPECT_EQ(EditTexts(), QStringList({"", "", ""}));
        ExpectPanelEnabled(false);
        EXPECT_TRUE(dlg.m_checkUseFileName->isChecked());
    }

    QRect ListFrame() const { return {dlg.m_listFiles->mapToGlobal(QPoint(0, 0)), dlg.m_listFiles->size()}; }

    QStringList five;  // real MP3 files without a block
};

TEST_F(FileListTest, RemoveAndClearAskFirstAndChangeNothingAfterANo) {
    Click("IDC_REMOVE");  // nothing selected: nothing asked
    ThreeSelected();
    dlg.answer = IDNO;
    Click("IDC_REMOVE");
    Click("IDC_CLEAR");
    EXPECT_EQ(dlg.boxes, QStringList({kRemoveQuestion, kClearQuestion}));
    EXPECT_EQ(Items(), five);
    EXPECT_TRUE(dlg.m_editArtist->isEnabled());
}

TEST_F(FileListTest, RemoveDeletesTheSelectedItemsAndResetsThePanel) {
    ThreeSelected();
    Click("IDC_PLAY");

    Click("IDC_REMOVE");

    EXPECT_EQ(dlg.boxes, QStringList({kRemoveQuestion}));
    EXPECT_EQ(Items(), QStringList({five[1], five[3]}));
    EXPECT_TRUE(Selected().empty());
    EXPECT_EQ(Caption(IDC_LIST_GROUP), QStringLiteral("文件列表(共 2 个)"));
    ExpectPanelReset();
    EXPECT_EQ(Caption(IDC_INFO_GROUP), QStringLiteral("文件信息 - 5.mp3"));
    EXPECT_EQ(dlg.m_player->get_URL(), five[4]);

    Click("IDC_SELECT_ALL");
    EXPECT_EQ(Selected(), std::vector<int>({0, 1}));
    Click("IDC_REMOVE");
    EXPECT_EQ(Caption(IDC_LIST_GROUP), QStringLiteral("文件列表(共 0 个)"));
    EXPECT_EQ(Caption(IDC_INFO_GROUP), QStringLiteral("文件信息"));
}

TEST_F(FileListTest, AfterRemoveTheCaretIsOnTheNextItemLeftAndTheListStaysScrolled) {
    QStringList many;
    for (int i = 0; i < 200; ++i) many.append(QStringLiteral("/d/%1.mp3").arg(i));
    Add(many);  // after the five
    ClickItem(155);
    ClickItem(156, Qt::ControlModifier);
    ClickItem(165, Qt::ControlModifier);  // the caret
    dlg.m_listFiles->verticalScrollBar()->setValue(20);

    Click("IDC_REMOVE");

    EXPECT_EQ(dlg.m_listFiles->currentItem()->text(), QStringLiteral("/d/161.mp3"));
    EXPECT_EQ(dlg.m_listFiles->verticalScrollBar()->value(), 20);
    ClickItem(201);
    Click("IDC_REMOVE");
    EXPECT_EQ(dlg.m_listFiles->currentItem()->text(), QStringLiteral("/d/198.mp3"));
}

TEST_F(FileListTest, ClearEmptiesTheListAndResetsThePanel) {
    ThreeSelected();
    Click("IDC_CLEAR");
    Click("IDC_CLEAR");  // an empty list: nothing asked
    EXPECT_EQ(dlg.boxes, QStringList({kClearQuestion}));
    EXPECT_TRUE(Items().isEmpty());
    EXPECT_EQ(Caption(IDC_LIST_GROUP), QStringLiteral("文件列表(共 0 个)"));
    EXPECT_EQ(Caption(IDC_INFO_GROUP), QStringLiteral("文件信息"));
    ExpectPanelReset();
}

TEST_F(FileListTest, TheMenuShowsOnlyForAPointStrictlyInsideTheListsFrame) {
    const QRect frame = ListFrame();
    const int right = frame.left() + frame.width(), bottom = frame.top() + frame.height();
    const QPoint inside{frame.left() + 1, frame.top() + 1}, lastInside{right - 1, bottom - 1};
    for (const QPoint point :
         {inside, QPoint(frame.left(), frame.top() + 5), QPoint(frame.left() + 5, frame.top()),
          QPoint(right, frame.top() + 5), QPoint(frame.left() + 5, bottom), lastInside, QPoint(-1, -1)})
        dlg.OnContextMenu(dlg.m_listFiles, point);
    EXPECT_EQ(dlg.menuPoints, std::vector<QPoint>({inside, lastInside}));
}

TEST_F(FileListTest, ARightClickOnTheListAsksForTheMenuAndKeepsTheSelection) {
    ClickItem(0);
    ClickItem(1, Qt::ShiftModifier);

    QTest::mouseClick(dlg.windowHandle(), Qt::RightButton, Qt::NoModifier, InWindow(4));
    // From the keyboard the menu is asked for at (-1, -1), which is outside the list.
    QWidget* viewport = dlg.m_listFiles->viewport();
    QContextMenuEvent fromKeyboard(QContextMenuEvent::Keyboard, QPoint(5, 5), viewport->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(viewport, &fromKeyboard);

    EXPECT_EQ(dlg.menuPoints, std::vector<QPoint>({dlg.mapToGlobal(InWindow(4))}));
    EXPECT_EQ(Selected(), std::vector<int>({0, 1}));
    EXPECT_EQ(dlg.m_listFiles->currentRow(), 1);
}

TEST_F(FileListTest, TheMenuOffersItsCommandsAndRunsTheChosenOne) {
    ClickItem(3);
    dlg.realMenus = true;
    for (const int downs : {2, 1}) {  // Select all, then Remove
        QStringList offered;
        WhenPopupOpens([&](QWidget* popup) {
            for (const QAction* action : qobject_cast<QMenu*>(popup)->actions()) offered.append(action->text());
            for (int down = 0; down < downs; ++down) QTest::keyClick(popup, Qt::Key_Down);
            QTest::keyClick(popup, Qt::Key_Return);
        });
        dlg.OnContextMenu(nullptr, ListFrame().center());
        EXPECT_EQ(offered, QStringList({"移除当前文件", "选中全部文件", "播放当前音乐", "撤销上次修改",
                                        "同时写入 ID3v2 标签", "修复 ID3v2 乱码"}));
    }
    EXPECT_EQ(dlg.boxes, QStringList({kRemoveQuestion}));
    EXPECT_TRUE(Items().isEmpty());
}

}  // namespace
}  // namespace sonatag::test
