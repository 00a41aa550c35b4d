#include "platform/dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest/QTest>
#include <cerrno>
#include <stdexcept>

#include "platform/list_box.h"
#include "tag/tag_file.h"
#include "tests/app/widget_testing.h"

namespace {

using sonatag::test::WhenModalOpens;
using sonatag::test::WhenPopupOpens;

constexpr int IDC_NAME = 1001;
constexpr int IDC_FLAG = 1002;
constexpr int IDC_GROUP = 1003;
constexpr int IDC_LIST = 1004;
constexpr int IDC_RUN = 1005;

constexpr ControlTemplate kControls[] = {
    {"IDOK", IDOK, ControlKind::PushButton, "确定(&O)", kDefaultButton, 10, 100, 40, 14},
    {"IDCANCEL", IDCANCEL, ControlKind::PushButton, "取消", kNoStyle, 60, 100, 40, 14},
    {"IDC_NAME", IDC_NAME, ControlKind::Edit, "", kNoStyle, 14, 14, 80, 12},
    {"IDC_FLAG", IDC_FLAG, ControlKind::CheckBox, "选中", kNoStyle, 14, 30, 60, 10},
    {"IDC_GROUP", IDC_GROUP, ControlKind::GroupBox, "组", kNoStyle, 5, 2, 110, 45},
    {"IDC_LIST", IDC_LIST, ControlKind::ListBox, "", kNoStyle, 5, 50, 110, 40},
    {"IDC_RUN", IDC_RUN, ControlKind::PushButton, "运行", kNoStyle, 120, 14, 40, 14},
    {"IDC_STATIC", IDC_STATIC, ControlKind::Static, "说明", kCentre | kStaticEdge, 120, 40, 40, 9},
};
constexpr DialogTemplate kTemplate = {200, "测试", 170, 120, false, kControls};

constexpr MenuItemTemplate kMenuItems[] = {{"ID_FIRST", 2001, "第一"}, {"ID_RUN", IDC_RUN, "运行"}};
constexpr MenuTemplate kMenu = {300, "Menu", kMenuItems};

struct Box {
    QString text;
    QString caption;
    unsigned int type;
};

class TestDlg : public CDialog {
public:
    TestDlg();

    void OnRun() {
        ++runs;
        if (failure) failure();
    }
    void OnContextMenu(QWidget* pWnd, QPoint point) {
        contextWindow = pWnd;
        contextPoint = point;
    }
    int MessageBox(const QString& text, const QString& caption, unsigned int type) override {
        if (realBoxes) return CDialog::MessageBox(text, caption, type);
        boxes.push_back({text, caption, type});
        return IDOK;
    }

    QString m_strName;
    int m_bFlag = 0;
    QLineEdit* m_editName = nullptr;

    int runs = 0;
    std::function<void()> failure;
    QWidget* contextWindow = nullptr;
    QPoint contextPoint;
    bool realBoxes = false;
    std::vector<Box> boxes;

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Text(pDX, IDC_NAME, m_strName);
        DDX_Check(pDX, IDC_FLAG, m_bFlag);
        DDX_Control(pDX, IDC_NAME, m_editName);
    }
};

constexpr MessageMapEntry<TestDlg> kMessageMap[] = {
    OnClicked(IDC_RUN, &TestDlg::OnRun),
    OnContextMenuRequest(&TestDlg::OnContextMenu),
};

TestDlg::TestDlg() : CDialog(kTemplate, nullptr) { SetMessageMap<TestDlg>(this, kMessageMap); }

class DialogTest : public ::testing::Test {
protected:
    DialogTest() { dlg.show(); }

    template <class Widget>
    Widget* Item(int id) {
        return qobject_cast<Widget*>(dlg.GetDlgItem(id));
    }

    TestDlg dlg;
};

TEST_F(DialogTest, BuildsAFixedSizeWindowWithItsDefaultButtonFocusedAndFramesBehind) {
    EXPECT_EQ(dlg.size(), dlg.baseUnits().toPixels(170, 120));
    EXPECT_EQ(dlg.minimumSize(), dlg.maximumSize());
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("测试"));
    EXPECT_EQ(dlg.GetDlgItem(IDC_LIST)->objectName(), QStringLiteral("IDC_LIST"));
    EXPECT_NE(Item<CListBox>(IDC_LIST), nullptr);

    EXPECT_TRUE(Item<QPushButton>(IDOK)->isDefault());
    EXPECT_FALSE(Item<QPushButton>(IDC_RUN)->isDefault());
    EXPECT_EQ(dlg.focusWidget(), dlg.GetDlgItem(IDOK));

    // A group box drawn around controls does not take their clicks.
    const QWidget* edit = dlg.GetDlgItem(IDC_NAME);
    EXPECT_EQ(dlg.childAt(edit->geometry().center()), edit);
}

TEST_F(DialogTest, SetsTextsByIdAndShowsAmpersandsInGroupCaptions) {
    dlg.SetDlgItemText(IDC_GROUP, QStringLiteral("文件信息 - Tom & Jerry.mp3"));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_GROUP), QStringLiteral("文件信息 - Tom & Jerry.mp3"));
    EXPECT_EQ(Item<QGroupBox>(IDC_GROUP)->title(), QStringLiteral("文件信息 - Tom && Jerry.mp3"));
    EXPECT_EQ(dlg.GetDlgItem(9999), nullptr);
}

TEST_F(DialogTest, UpdateDataMovesTextsAndCheckStatesBothWays) {
    EXPECT_EQ(dlg.m_editName, dlg.GetDlgItem(IDC_NAME));

    dlg.m_editName->setText(QStringLiteral("标题"));
    Item<QCheckBox>(IDC_FLAG)->setChecked(true);
    dlg.UpdateData(true);
    EXPECT_EQ(dlg.m_strName, QStringLiteral("标题"));
    EXPECT_EQ(dlg.m_bFlag, 1);

    dlg.m_strName = QStringLiteral("专辑");
    dlg.m_bFlag = 0;
    dlg.UpdateData(false);
    EXPECT_EQ(dlg.m_editName->text(), QStringLiteral("专辑"));
    EXPECT_FALSE(Item<QCheckBox>(IDC_FLAG)->isChecked());
}

TEST_F(DialogTest, ClicksRunTheirHandlersAndUnmappedOkOrCancelEndTheDialog) {
    QTest::mouseClick(dlg.GetDlgItem(IDC_RUN), Qt::LeftButton);
    EXPECT_EQ(dlg.runs, 1);
    EXPECT_TRUE(dlg.isVisible());

    dlg.m_editName->setText(QStringLiteral("ok"));
    QTest::mouseClick(dlg.GetDlgItem(IDOK), Qt::LeftButton);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.m_strName, QStringLiteral("ok"));

    dlg.show();
    QTest::mouseClick(dlg.GetDlgItem(IDCANCEL), Qt::LeftButton);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
}

TEST_F(DialogTest, AFileErrorInAHandlerBecomesOneErrorBoxNamingFileAndReason) {
    dlg.failure = [] { throw sonatag::FileError("/tmp/歌曲/bad\xff name.mp3", ENOENT, "read"); };
    QTest::mouseClick(dlg.GetDlgItem(IDC_RUN), Qt::LeftButton);

    ASSERT_EQ(dlg.boxes.size(), 1u);
    const Box& box = dlg.boxes.front();
    EXPECT_EQ(box.caption, QStringLiteral("错误"));
    EXPECT_EQ(box.type, MB_OK | MB_ICONERROR | MB_TOPMOST);
    EXPECT_TRUE(box.text.contains(QStringLiteral("/tmp/歌曲/bad\uFFFD name.mp3"))) << box.text.toStdString();
    EXPECT_TRUE(box.text.contains(qt_error_string(ENOENT))) << box.text.toStdString();
    EXPECT_TRUE(dlg.isVisible());
}

TEST_F(DialogTest, OtherExceptionsAreNotCaught) {
    dlg.failure = [] { throw std::runtime_error("not a file error"); };
    EXPECT_THROW(dlg.OnCmdMsg(IDC_RUN, BN_CLICKED), std::runtime_error);
    EXPECT_TRUE(dlg.boxes.empty());
    EXPECT_FALSE(dlg.OnCmdMsg(IDC_RUN, LBN_DBLCLK));
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

TEST_F(DialogTest, ContextMenuRequestsReachTheMapWithTheControlAndScreenPoint) {
    auto* list = Item<CListBox>(IDC_LIST);
    const QPoint inside(10, 10);
    QContextMenuEvent byMouse(QContextMenuEvent::Mouse, inside, list->viewport()->mapToGlobal(inside));
    QApplication::sendEvent(list->viewport(), &byMouse);
    EXPECT_EQ(dlg.contextWindow, list);
    EXPECT_EQ(dlg.contextPoint, list->viewport()->mapToGlobal(inside));

    QContextMenuEvent byKeyboard(QContextMenuEvent::Keyboard, inside, list->viewport()->mapToGlobal(inside));
    QApplication::sendEvent(list->viewport(), &byKeyboard);
    EXPECT_EQ(dlg.contextPoint, QPoint(-1, -1));
}

TEST_F(DialogTest, APopupMenuCommandRunsAsACommandOfTheDialog) {
    WhenPopupOpens([](QWidget* popup) {
        QTest::keyClick(popup, Qt::Key_Down);
        QTest::keyClick(popup, Qt::Key_Down);
        QTest::keyClick(popup, Qt::Key_Return);
    });
    EXPECT_EQ(dlg.TrackPopupMenu(kMenu, dlg.mapToGlobal(QPoint(5, 5))), IDC_RUN);
    EXPECT_EQ(dlg.runs, 1);

    WhenPopupOpens([](QWidget* popup) { QTest::keyClick(popup, Qt::Key_Escape); });
    EXPECT_EQ(dlg.TrackPopupMenu(kMenu, dlg.mapToGlobal(QPoint(5, 5))), 0);
    EXPECT_EQ(dlg.runs, 1);
}

}  // namespace
