#include "platform/list_box.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QtTest/QTest>

namespace {

class ListBoxTest : public ::testing::Test {
protected:
    ListBoxTest() {
        list.addItems({"c.mp3", "a.mp3", "b.mp3"});
        list.resize(200, 120);
        list.show();
    }

    QPoint CentreOf(int row) { return list.visualItemRect(list.item(row)).center(); }

    CListBox list;
    QSignalSpy selChanges{&list, &CListBox::selChange};
};

TEST_F(ListBoxTest, OnlyTheUserChangingTheSelectionIsNotified) {
    list.selectAll();
    list.setCurrentRow(2);
    list.clearSelection();
    EXPECT_EQ(selChanges.count(), 0);

    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, CentreOf(1));
    QTest::keyClick(&list, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(selChanges.count(), 2);
    EXPECT_EQ(list.selectedItems().size(), 2);

    // Deselecting the last selected item with a control-click is a change too.
    list.clearSelection();
    list.item(2)->setSelected(true);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::ControlModifier, CentreOf(2));
    EXPECT_EQ(selChanges.count(), 3);
    EXPECT_TRUE(list.selectedItems().isEmpty());
}

}  // namespace
