#include "app/sonatag_dlg.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest/QTest>
#include <array>

#include "platform/list_box.h"
#include "res/resource.h"
#include "tests/support/widget_testing.h"

namespace sonatag::test {
namespace {

class SonatagDlgTest : public ::testing::Test {
protected:
    SonatagDlgTest() { dlg.show(); }

    QPushButton* OkButton() { return qobject_cast<QPushButton*>(dlg.GetDlgItem(IDOK)); }
    std::array<QLineEdit*, 3> Edits() { return {dlg.m_editTitle, dlg.m_editArtist, dlg.m_editAlbum}; }

    CSonatagDlg dlg;
};

TEST_F(SonatagDlgTest, StartsWithAnEmptyListADisabledPanelAndTheFocusOnModify) {
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Sonatag"));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_LIST_GROUP), QStringLiteral("文件列表(共 0 个)"));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_INFO_GROUP), QStringLiteral("文件信息"));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PLAY_GROUP), QStringLiteral("播放音乐"));
    EXPECT_FALSE(dlg.m_checkUseFileName->isEnabled() || dlg.m_checkUseFileName->isChecked());
    for (QLineEdit* edit : Edits()) EXPECT_FALSE(edit->isEnabled() || !edit->text().isEmpty());
    for (const int id : {IDOK, IDCANCEL, IDC_ADD, IDC_REMOVE, IDC_CLEAR, IDC_SELECT_ALL, IDC_PLAY, IDC_ABOUT})
        EXPECT_TRUE(dlg.GetDlgItem(id)->isEnabled()) << id;
    EXPECT_EQ(dlg.focusWidget(), OkButton());
    EXPECT_EQ(dlg.minimumSize(), dlg.maximumSize());
}

TEST_F(SonatagDlgTest, TheThreeEditsTakeThirtyBytesOfCodePage936) {
    for (QLineEdit* edit : Edits()) {
        edit->setEnabled(true);
        TypeText(edit, QString(14, u'汉') + QStringLiteral("xyz"));
        EXPECT_EQ(edit->text(), QString(14, u'汉') + QStringLiteral("xy"));
    }
}

TEST_F(SonatagDlgTest, EnterRunsTheDefaultButtonAndNeverClosesTheWindow) {
    QSignalSpy modify(OkButton(), &QPushButton::clicked);
    dlg.m_editTitle->setEnabled(true);
    dlg.m_checkUseFileName->setEnabled(true);
    for (QWidget* focus : std::initializer_list<QWidget*>{dlg.m_editTitle, dlg.m_checkUseFileName, dlg.m_listFiles}) {
        focus->setFocus();
        QTest::keyClick(focus, Qt::Key_Return);
    }
    EXPECT_EQ(modify.count(), 3);
    OkButton()->setEnabled(false);
    dlg.m_editTitle->setFocus();
    QTest::keyClick(dlg.m_editTitle, Qt::Key_Enter);
    EXPECT_TRUE(dlg.isVisible());
}

TEST(SonatagDlgModalTest, EscapeTheExitButtonAndTheCloseBoxEndTheModalRun) {
    const std::function<void(QWidget*)> ways[] = {
        [](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Escape); },
        [](QWidget* modal) {
            QTest::mouseClick(static_cast<CSonatagDlg*>(modal)->GetDlgItem(IDCANCEL), Qt::LeftButton);
        },
        [](QWidget* modal) { modal->close(); },
    };
    for (const auto& way : ways) {
        CSonatagDlg modalDlg;
        WhenModalOpens(way);
        EXPECT_EQ(modalDlg.DoModal(), IDCANCEL);
    }
}

}  // namespace
}  // namespace sonatag::test
