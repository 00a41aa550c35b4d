#include "platform/list_box.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QtTest/QTest>

namespace {

class ListBoxTest : public ::testing::Test {
protected:
    ListBoxTest() {
        list.addItems({QStringLiteral("c.mp3"), QStringLiteral("a.mp3"), QStringLiteral("b.mp3")});
        list.resize(200, 120);
        list.show();
    }

    QPoint CentreOf(int row) { return list.visualItemRect(list.item(row)).center(); }

    CListBox list;
    QSignalSpy selChanges{&list, &CListBox::selChange};
    QSignalSpy doubleClicks{&list, &CListBox::dblClk};
};

TEST_F(ListBoxTest, OnlyTheUserChangingTheSelectionIsNotified) {
    list.selectAll();
    list.setCurrentRow(2);
    list.clearSelection();
    EXPECT_EQ(selChanges.count(), 0);

    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, CentreOf(1));
    EXPECT_EQ(selChanges.count(), 1);
    QTest::keyClick(&list, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(selChanges.count(), 2);
    EXPECT_EQ(list.selectedItems().size(), 2);

    // Deselecting the last selected item with a control-click is a change too.
    list.clearSelection();
    list.item(2)->setSelected(true);
    selChanges.clear();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::ControlModifier, CentreOf(2));
    EXPECT_EQ(selChanges.count(), 1);
    EXPECT_TRUE(list.selectedItems().isEmpty());
}

TEST_F(ListBoxTest, ARightClickLeavesTheSelectionAndTheCaretAsTheyWere) {
    list.setCurrentRow(0, QItemSelectionModel::NoUpdate);
    list.item(1)->setSelected(true);
    const auto inWindow = [this](int row) { return list.viewport()->mapTo(list.window(), CentreOf(row)); };

    QTest::mouseClick(list.windowHandle(), Qt::RightButton, Qt::NoModifier, inWindow(2));
    QTest::mousePress(list.windowHandle(), Qt::RightButton, Qt::NoModifier, inWindow(2));
    QTest::mouseMove(list.windowHandle(), inWindow(0));
    QTest::mouseRelease(list.windowHandle(), Qt::RightButton, Qt::NoModifier, inWindow(0));
    QTest::mouseDClick(list.windowHandle(), Qt::RightButton, Qt::NoModifier, inWindow(0));

    EXPECT_EQ(list.currentRow(), 0);
    ASSERT_EQ(list.selectedItems().size(), 1);
    EXPECT_EQ(list.selectedItems().front(), list.item(1));
    EXPECT_EQ(selChanges.count(), 0);
    EXPECT_EQ(doubleClicks.count(), 0);
}

}  // namespace
