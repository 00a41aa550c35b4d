#include "app/about_dlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QtTest/QTest>

#include "app/sonatag_dlg.h"
#include "res/dialogs.h"
#include "res/resource.h"
#include "sonatag/version.h"
#include "tests/app/widget_testing.h"

namespace {

using sonatag::test::WhenModalOpens;

class AboutDlgTest : public ::testing::Test {
protected:
    AboutDlgTest() { dlg.show(); }

    // Clicks the About button; closeWith closes the box that opens. Returns the box, which
    // must be gone by then.
    QPointer<CAboutDlg> OpenAbout(std::function<void(CAboutDlg*)> inspect, Qt::Key closeWith) {
        auto opened = std::make_shared<QPointer<CAboutDlg>>();
        WhenModalOpens([=](QWidget* modal) {
            *opened = qobject_cast<CAboutDlg*>(modal);
            if (*opened != nullptr && inspect) inspect(*opened);
            QTest::keyClick(modal, closeWith);
        });
        QTest::mouseClick(dlg.m_btnAbout, Qt::LeftButton);
        return *opened;
    }

    CSonatagDlg dlg;
};

TEST_F(AboutDlgTest, OpensFromTheBitmapButtonOverTheMainWindow) {
    bool inspected = false;
    OpenAbout(
        [&](CAboutDlg* about) {
            inspected = true;
            EXPECT_EQ(about->windowTitle(), QStringLiteral("关于"));
            EXPECT_EQ(about->parentWidget(), &dlg);
            EXPECT_EQ(about->GetDlgItemText(IDC_PRODUCT_NAME), QStringLiteral("Sonatag"));
            const QFont font = about->GetDlgItem(IDC_PRODUCT_NAME)->font();
            EXPECT_EQ(font.pixelSize(), 15);
            EXPECT_EQ(font.weight(), QFont::DemiBold);
            EXPECT_EQ(about->focusWidget(), about->GetDlgItem(IDOK));
            EXPECT_TRUE(about->grab().save(QStringLiteral(SONATAG_PICTURE_DIR "/about-box.png")));
        },
        Qt::Key_Return);
    EXPECT_TRUE(inspected);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(AboutDlgTest, EnterAndEscapeCloseItAndEachOpeningLeavesNothingBehind) {
    const int topLevelsBefore = static_cast<int>(QApplication::topLevelWidgets().size());
    for (int i = 0; i < 10; ++i) {
        const QPointer<CAboutDlg> box = OpenAbout(nullptr, i % 2 == 0 ? Qt::Key_Return : Qt::Key_Escape);
        EXPECT_TRUE(box.isNull()) << "the box and its font outlive their opening";
    }
    EXPECT_EQ(QApplication::topLevelWidgets().size(), topLevelsBefore);
    EXPECT_TRUE(dlg.findChildren<CAboutDlg*>().isEmpty());
}

TEST(AboutDlgTemplateTest, ShowsTheVersionOfTheProgram) {
    const QStringList parts = QString::fromLatin1(sonatag::kVersion).split(u'.');
    const QString label = QStringLiteral("V%1.%2").arg(parts.value(0), parts.value(1));
    const auto& controls = kAboutDialog.controls;
    EXPECT_TRUE(std::any_of(controls.begin(), controls.end(),
                            [&](const ControlTemplate& row) { return QString::fromUtf8(row.text) == label; }));
}

}  // namespace
