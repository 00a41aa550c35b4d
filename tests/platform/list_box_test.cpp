#include "platform/list_box.h"

#include <gtest/gtest.h>

#include <QHelpEvent>
#include <QSignalSpy>
#include <QTextDocument>
#include <QToolTip>
#include <QtTest/QTest>

namespace {

TEST(ListBoxTest, OnlyTheUserChangingTheSelectionIsNotified) {
    CListBox list;
    list.addItems({"c.mp3", "a.mp3", "b.mp3"});
    list.resize(200, 120);
    list.show();
    const auto centreOf = [&](int row) { return list.visualItemRect(list.item(row)).center(); };
    QSignalSpy selChanges(&list, &CListBox::selChange);
    list.selectAll();
    list.setCurrentRow(2);
    list.clearSelection();
    EXPECT_EQ(selChanges.count(), 0);

    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::NoModifier, centreOf(1));
    QTest::keyClick(&list, Qt::Key_Down, Qt::ShiftModifier);
    QTest::mouseClick(list.viewport(), Qt::RightButton, Qt::NoModifier, centreOf(0));
    EXPECT_EQ(selChanges.count(), 2);
    EXPECT_EQ(list.selectedItems().size(), 2);

    // Deselecting the last selected item with a control-click is a change too.
    list.clearSelection();
    list.item(2)->setSelected(true);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::ControlModifier, centreOf(2));
    EXPECT_EQ(selChanges.count(), 3);
    EXPECT_TRUE(list.selectedItems().isEmpty());

    // An item's tooltip is plain text, however much it looks like markup.
    list.SetItemToolTip([](int row) { return QStringLiteral("<b>%1</b>").arg(row); });
    QHelpEvent help(QEvent::ToolTip, centreOf(1), list.viewport()->mapToGlobal(centreOf(1)));
    QCoreApplication::sendEvent(list.viewport(), &help);
    EXPECT_EQ(QToolTip::text(), Qt::convertFromPlainText(QStringLiteral("<b>1</b>"), Qt::WhiteSpaceNoWrap));
}

}  // namespace
