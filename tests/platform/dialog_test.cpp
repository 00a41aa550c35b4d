#include "platform/dialog.h"

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest/QTest>

#include "tests/support/widget_testing.h"

namespace sonatag::test {
namespace {

constexpr int IDC_GROUP = 1003;
constexpr ControlTemplate kControls[] = {
    {"IDC_GROUP", IDC_GROUP, ControlKind::GroupBox, "组", kNoStyle, 5, 2, 110, 45}};
constexpr DialogTemplate kTemplate = {200, "测试", 170, 120, false, kControls};

TEST(DialogTest, GroupCaptionsShowAmpersandsAsThemselves) {
    CDialog dlg(kTemplate, nullptr);
    dlg.SetDlgItemText(IDC_GROUP, QStringLiteral("文件信息 - Tom & Jerry.mp3"));
    EXPECT_EQ(qobject_cast<QGroupBox*>(dlg.GetDlgItem(IDC_GROUP))->title(), "文件信息 - Tom && Jerry.mp3");
}

TEST(DialogTest, MessageBoxShowsPlainTextAndReturnsTheButtonPressed) {
    // The type, the icon and buttons it shows, the button pressed (none: Escape), the result.
    const std::tuple<unsigned int, QMessageBox::Icon, QMessageBox::StandardButtons, QMessageBox::StandardButton, int>
        cases[] = {
            {MB_YESNO | MB_ICONEXCLAMATION | MB_TOPMOST, QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No,
             QMessageBox::No, IDNO},
            {MB_OK | MB_ICONERROR, QMessageBox::Critical, QMessageBox::Ok, QMessageBox::NoButton, IDOK},
        };
    CDialog dlg(kTemplate, nullptr);
    for (const auto& [type, icon, buttons, press, result] : cases) {
        WhenModalOpens([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->textFormat(), Qt::PlainText);
            EXPECT_EQ(box->icon(), icon);
            EXPECT_EQ(box->standardButtons(), buttons);
            EXPECT_EQ(bool(box->windowFlags() & Qt::WindowStaysOnTopHint), bool(type & MB_TOPMOST));
            if (press == QMessageBox::NoButton)
                QTest::keyClick(box, Qt::Key_Escape);
            else
                box->button(press)->click();
        });
        EXPECT_EQ(dlg.MessageBox(QStringLiteral("<b>a.mp3</b>"), QStringLiteral("标题"), type), result);
    }
}

}  // namespace
}  // namespace sonatag::test
