#include "platform/dialog.h"
#include "platform/list_box.h"

#include <gtest/gtest.h>
#include <QGroupBox>
#include <QHelpEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTextDocument>
#include <QToolTip>
#include <QtTest/QTest>

#include "tests/support/widget_testing.h"

namespace sonatag::test {

constexpr int IDC_GROUP = 1003;
constexpr ControlTemplate kControls[] = {
    {"IDC_GROUP", IDC_GROUP, ControlKind::GroupBox, "组", kNoStyle, 5, 2, 110, 45}};
constexpr DialogTemplate kTemplate = {200, "测试", 170, 120, false, kControls};

TEST(DialogTest, FileNamesShowAsPlainTextInGroupCaptionsAndMessageBoxes) {
    CDialog dlg(kTemplate, nullptr);
    dlg.SetDlgItemText(IDC_GROUP, QStringLiteral("文件信息 - Tom & Jerry.mp3"));
    EXPECT_EQ(qobject_cast<QGroupBox*>(dlg.GetDlgItem(IDC_GROUP))->title(), "文件信息 - Tom && Jerry.mp3");
    WhenModalOpens([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        EXPECT_TRUE(box->windowFlags() & Qt::WindowStaysOnTopHint);
        box->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(dlg.MessageBox(QStringLiteral("<b>a.mp3</b>"), QStringLiteral("标题"),
                             MB_YESNO | MB_ICONEXCLAMATION | MB_TOPMOST),
              IDNO);
}

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

    // An item's tooltip is plain text, however much it looks like markup.
    list.SetItemToolTip([](int row) { return QStringLiteral("<b>%1</b>").arg(row); });
    QHelpEvent help(QEvent::ToolTip, centreOf(1), list.viewport()->mapToGlobal(centreOf(1)));
    QCoreApplication::sendEvent(list.viewport(), &help);
    EXPECT_EQ(QToolTip::text(), Qt::convertFromPlainText(QStringLiteral("<b>1</b>"), Qt::WhiteSpaceNoWrap));
}

}  // namespace sonatag::test
