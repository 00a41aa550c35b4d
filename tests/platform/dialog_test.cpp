#include "platform/dialog.h"

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest/QTest>
#include <stdexcept>

#include "tests/support/widget_testing.h"

namespace sonatag::test {
namespace {

constexpr int IDC_GROUP = 1003;
constexpr int IDC_RUN = 1005;

constexpr ControlTemplate kControls[] = {
    {"IDC_GROUP", IDC_GROUP, ControlKind::GroupBox, "组", kNoStyle, 5, 2, 110, 45},
    {"IDC_RUN", IDC_RUN, ControlKind::PushButton, "运行", kNoStyle, 120, 14, 40, 14},
};
constexpr DialogTemplate kTemplate = {200, "测试", 170, 120, false, kControls};

// Its Run button fails; its message boxes are recorded unless realBoxes.
class TestDlg : public CDialog {
public:
    TestDlg();

    void OnRun() { throw std::runtime_error("坏.mp3: read"); }
    int MessageBox(const QString& text, const QString& caption, unsigned int type) override {
        if (realBoxes) return CDialog::MessageBox(text, caption, type);
        boxes.append(QStringLiteral("%1 0x%2 %3").arg(caption, QString::number(type, 16), text));
        return IDOK;
    }

    bool realBoxes = false;
    QStringList boxes;
};

constexpr MessageMapEntry<TestDlg> kMessageMap[] = {OnClicked(IDC_RUN, &TestDlg::OnRun)};

std::optional<QString> RuntimeErrorText(const std::exception& error) {
    if (dynamic_cast<const std::runtime_error*>(&error) == nullptr) return std::nullopt;
    return QString::fromUtf8(error.what());
}

TestDlg::TestDlg() : CDialog(kTemplate, nullptr) {
    SetErrorTextHook(&RuntimeErrorText);
    SetMessageMap<TestDlg>(this, kMessageMap);
}

TEST(DialogTest, GroupCaptionsShowAmpersandsAsThemselves) {
    TestDlg dlg;
    dlg.SetDlgItemText(IDC_GROUP, QStringLiteral("文件信息 - Tom & Jerry.mp3"));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_GROUP), QStringLiteral("文件信息 - Tom & Jerry.mp3"));
    EXPECT_EQ(qobject_cast<QGroupBox*>(dlg.GetDlgItem(IDC_GROUP))->title(), "文件信息 - Tom && Jerry.mp3");
}

TEST(DialogTest, AnErrorInAHandlerBecomesOneErrorBoxWithTheHooksText) {
    TestDlg dlg;
    dlg.show();
    QTest::mouseClick(dlg.GetDlgItem(IDC_RUN), Qt::LeftButton);
    ASSERT_EQ(dlg.boxes.size(), 1);
    EXPECT_EQ(dlg.boxes[0], QStringLiteral("错误 0x40010 坏.mp3: read"));
    EXPECT_TRUE(dlg.isVisible());
}

TEST(DialogTest, MessageBoxShowsPlainTextAndReturnsTheButtonPressed) {
    struct Case {
        unsigned int type;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton press;  // NoButton: Escape
        int result;
    };
    const Case cases[] = {
        {MB_YESNO | MB_ICONEXCLAMATION | MB_TOPMOST, QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No,
         QMessageBox::No, IDNO},
        {MB_YESNO | MB_ICONEXCLAMATION, QMessageBox::Warning, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes,
         IDYES},
        {MB_OK | MB_ICONINFORMATION, QMessageBox::Information, QMessageBox::Ok, QMessageBox::NoButton, IDOK},
        {MB_OK | MB_ICONERROR | MB_TOPMOST, QMessageBox::Critical, QMessageBox::Ok, QMessageBox::Ok, IDOK},
    };
    TestDlg dlg;
    dlg.realBoxes = true;
    for (const Case& c : cases) {
        WhenModalOpens([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->windowTitle(), QStringLiteral("标题"));
            EXPECT_EQ(box->textFormat(), Qt::PlainText);
            EXPECT_EQ(box->icon(), c.icon);
            EXPECT_EQ(box->standardButtons(), c.buttons);
            EXPECT_EQ(bool(box->windowFlags() & Qt::WindowStaysOnTopHint), bool(c.type & MB_TOPMOST));
            if (c.press == QMessageBox::NoButton)
                QTest::keyClick(box, Qt::Key_Escape);
            else
                box->button(c.press)->click();
        });
        EXPECT_EQ(dlg.MessageBox(QStringLiteral("<b>a.mp3</b>"), QStringLiteral("标题"), c.type), c.result);
    }
}

}  // namespace
}  // namespace sonatag::test
