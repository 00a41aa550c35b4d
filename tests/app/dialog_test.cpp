#include "platform/dialog.h"

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest/QTest>
#include <stdexcept>

#include "tests/app/widget_testing.h"

// The dialog layer's own duties; how it builds, exchanges and dispatches is exercised through
// the program's windows in their tests.

namespace {

using sonatag::test::WhenModalOpens;

constexpr int IDC_GROUP = 1003;
constexpr int IDC_RUN = 1005;

constexpr ControlTemplate kControls[] = {
    {"IDC_GROUP", IDC_GROUP, ControlKind::GroupBox, "组", kNoStyle, 5, 2, 110, 45},
    {"IDC_RUN", IDC_RUN, ControlKind::PushButton, "运行", kNoStyle, 120, 14, 40, 14},
};
constexpr DialogTemplate kTemplate = {200, "测试", 170, 120, false, kControls};

struct Box {
    QString text, caption;
    unsigned int type;
};

// Its Run button fails; its message boxes are recorded unless realBoxes.
class TestDlg : public CDialog {
public:
    TestDlg();

    void OnRun() { throw std::runtime_error("坏.mp3: read"); }
    int MessageBox(const QString& text, const QString& caption, unsigned int type) override {
        if (realBoxes) return CDialog::MessageBox(text, caption, type);
        boxes.push_back({text, caption, type});
        return IDOK;
    }

    bool realBoxes = false;
    std::vector<Box> boxes;
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

class DialogTest : public ::testing::Test {
protected:
    DialogTest() { dlg.show(); }

    TestDlg dlg;
};

TEST_F(DialogTest, GroupCaptionsShowAmpersandsAsThemselves) {
    dlg.SetDlgItemText(IDC_GROUP, QStringLiteral("文件信息 - Tom & Jerry.mp3"));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_GROUP), QStringLiteral("文件信息 - Tom & Jerry.mp3"));
    EXPECT_EQ(qobject_cast<QGroupBox*>(dlg.GetDlgItem(IDC_GROUP))->title(),
              QStringLiteral("文件信息 - Tom && Jerry.mp3"));
}

TEST_F(DialogTest, AnErrorInAHandlerBecomesOneErrorBoxWithTheHooksText) {
    QTest::mouseClick(dlg.GetDlgItem(IDC_RUN), Qt::LeftButton);

    ASSERT_EQ(dlg.boxes.size(), 1u);
    const Box& box = dlg.boxes.front();
    EXPECT_EQ(box.caption, QStringLiteral("错误"));
    EXPECT_EQ(box.type, MB_OK | MB_ICONERROR | MB_TOPMOST);
    EXPECT_EQ(box.text, QStringLiteral("坏.mp3: read"));
    EXPECT_TRUE(dlg.isVisible());
}

TEST_F(DialogTest, MessageBoxShowsPlainTextAndReturnsTheButtonPressed) {
    dlg.realBoxes = true;
    WhenModalOpens([](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->windowTitle(), QStringLiteral("移除文件"));
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
        EXPECT_TRUE(box->windowFlags() & Qt::WindowStaysOnTopHint);
        box->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(dlg.MessageBox(QStringLiteral("<b>a.mp3</b>"), QStringLiteral("移除文件"), 0x40034), IDNO);

    WhenModalOpens([](QWidget* modal) { qobject_cast<QMessageBox*>(modal)->button(QMessageBox::Yes)->click(); });
    EXPECT_EQ(dlg.MessageBox(QStringLiteral("?"), QStringLiteral("清空列表"), MB_YESNO), IDYES);

    WhenModalOpens([](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        EXPECT_EQ(box->icon(), QMessageBox::Information);
        EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
        EXPECT_FALSE(box->windowFlags() & Qt::WindowStaysOnTopHint);
        QTest::keyClick(box, Qt::Key_Escape);
    });
    EXPECT_EQ(dlg.MessageBox(QStringLiteral("文件信息修改成功！"), QStringLiteral("恭喜"), MB_ICONINFORMATION), IDOK);
}

}  // namespace
