#include "app/sonatag_dlg.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFontInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QtTest/QTest>

#include "platform/list_box.h"
#include "res/dialogs.h"
#include "res/resource.h"
#include "tests/app/widget_testing.h"

namespace {

using sonatag::test::TypeText;
using sonatag::test::WhenModalOpens;

class SonatagDlgTest : public ::testing::Test {
protected:
    SonatagDlgTest() { dlg.show(); }

    QPushButton* OkButton() { return qobject_cast<QPushButton*>(dlg.GetDlgItem(IDOK)); }

    CSonatagDlg dlg;
};

TEST_F(SonatagDlgTest, IsAFixedSizeCentredWindowWithEveryControlOfTheTemplateAtItsPlace) {
    for (const ControlTemplate& row : kMainDialog.controls) {
        const QWidget* control = dlg.findChild<QWidget*>(QString::fromLatin1(row.idName));
        ASSERT_NE(control, nullptr) << row.idName;
        EXPECT_EQ(control->geometry(), dlg.baseUnits().toPixels(row.x, row.y, row.width, row.height)) << row.idName;
    }
    EXPECT_EQ(dlg.size(), dlg.baseUnits().toPixels(319, 244));
    EXPECT_EQ(dlg.minimumSize(), dlg.maximumSize());
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Sonatag"));
    EXPECT_TRUE(dlg.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(dlg.windowFlags() & Qt::WindowMaximizeButtonHint);
    const QPoint offset = dlg.frameGeometry().center() - dlg.screen()->availableGeometry().center();
    EXPECT_LE(offset.manhattanLength(), 2);
}

TEST_F(SonatagDlgTest, StartsWithAnEmptyListADisabledPanelAndTheFocusOnModify) {
    EXPECT_EQ(dlg.GetDlgItemText(IDC_LIST_GROUP), QStringLiteral("文件列表(共 0 个)"));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_INFO_GROUP), QStringLiteral("文件信息"));
    EXPECT_EQ(dlg.GetDlgItemText(IDC_PLAY_GROUP), QStringLiteral("播放音乐"));
    EXPECT_EQ(dlg.m_listFiles->count(), 0);
    for (QWidget* panel :
         std::initializer_list<QWidget*>{dlg.m_checkUseFileName, dlg.m_editTitle, dlg.m_editArtist, dlg.m_editAlbum})
        EXPECT_FALSE(panel->isEnabled()) << panel->objectName().toStdString();
    for (QLineEdit* edit : {dlg.m_editTitle, dlg.m_editArtist, dlg.m_editAlbum}) EXPECT_TRUE(edit->text().isEmpty());
    EXPECT_FALSE(dlg.m_checkUseFileName->isChecked());
    for (const int id : {IDOK, IDCANCEL, IDC_ADD, IDC_REMOVE, IDC_CLEAR, IDC_SELECT_ALL, IDC_PLAY, IDC_ABOUT})
        EXPECT_TRUE(dlg.GetDlgItem(id)->isEnabled()) << id;
    EXPECT_TRUE(OkButton()->isDefault());
    EXPECT_EQ(dlg.focusWidget(), OkButton());
}

TEST_F(SonatagDlgTest, ShowsTheLabelsInTheLabelFontAndTheImages) {
    for (const int id : {IDC_TITLE_LABEL, IDC_ARTIST_LABEL, IDC_ALBUM_LABEL}) {
        const QFont font = dlg.GetDlgItem(id)->font();
        EXPECT_EQ(font.pixelSize(), 14);
        EXPECT_EQ(font.weight(), QFont::Normal);
        EXPECT_TRUE(QFontMetrics(font).inFontUcs4(U'艺')) << QFontInfo(font).family().toStdString();
    }
    for (const int size : {16, 32, 48}) EXPECT_EQ(dlg.windowIcon().pixmap(size).width(), size);
    EXPECT_EQ(dlg.m_btnAbout->iconSize(), QSize(34, 32));
    EXPECT_FALSE(dlg.m_btnAbout->icon().isNull());
}

TEST_F(SonatagDlgTest, TheThreeEditsTakeThirtyBytesOfCodePage936) {
    for (QLineEdit* edit : {dlg.m_editTitle, dlg.m_editArtist, dlg.m_editAlbum}) {
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
    EXPECT_TRUE(dlg.isVisible());

    OkButton()->setEnabled(false);
    dlg.m_editTitle->setFocus();
    QTest::keyClick(dlg.m_editTitle, Qt::Key_Enter);
    EXPECT_TRUE(dlg.isVisible());
}

TEST_F(SonatagDlgTest, EscapeTheExitButtonAndTheCloseBoxEndTheModalRun) {
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

TEST_F(SonatagDlgTest, WritesAPictureOfTheWindow) {
    const QString file = QStringLiteral(SONATAG_PICTURE_DIR "/main-window.png");
    EXPECT_TRUE(dlg.grab().save(file)) << file.toStdString();
}

}  // namespace
