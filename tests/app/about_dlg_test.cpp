#include "app/about_dlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QtTest/QTest>

#include "app/sonatag_dlg.h"
#include "res/dialogs.h"
#include "res/resource.h"
#include "sonatag/version.h"
#include "tests/app/widget_testing.h"

namespace {

class AboutDlgTest : public ::testing::Test {
protected:
    AboutDlgTest() { dlg.show(); }

    // Clicks the About button and closes the box that opens with closeWith, after inspect.
    // Returns the box, which must be gone by then.
    QPointer<CAboutDlg> OpenAbout(Qt::Key closeWith, std::function<void(CAboutDlg*)> inspect = nullptr) {
        auto opened = std::make_shared<QPointer<CAboutDlg>>();
        sonatag::test::WhenModalOpens([=](QWidget* modal) {
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
    OpenAbout(Qt::Key_Return, [&](CAboutDlg* about) {
        inspected = true;
        EXPECT_EQ(about->windowTitle(), QStringLiteral("关于"));
        EXPECT_EQ(about->parentWidget(), &dlg);
        const QFont font = about->GetDlgItem(IDC_PRODUCT_NAME)->font();
        EXPECT_EQ(font.pixelSize(), 15);
        EXPECT_EQ(font.weight(), QFont::DemiBold);
        EXPECT_EQ(about->focusWidget(), about->GetDlgItem(IDOK));
        EXPECT_TRUE(about->grab().save(QStringLiteral(SONATAG_PICTURE_DIR "/about-box.png")));
    });
    EXPECT_TRUE(inspected);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(AboutDlgTest, EnterAndEscapeCloseItAndEachOpeningLeavesNothingBehind) {
    const auto topLevelsBefore = QApplication::topLevelWidgets().size();
    for (int i = 0; i < 10; ++i)
        EXPECT_TRUE(OpenAbout(i % 2 == 0 ? Qt::Key_Return : Qt::Key_Escape).isNull())
            << "the box and its font outlive their opening";
    EXPECT_EQ(QApplication::topLevelWidgets().size(), topLevelsBefore);
    EXPECT_TRUE(dlg.findChildren<CAboutDlg*>().isEmpty());
}

TEST(AboutDlgTemplateTest, ShowsTheVersionOfTheProgram) {
    const QStringList parts = QString::fromLatin1(sonatag::kVersion).split(u'.');
    const QString label = QStringLiteral("V%1.%2").arg(parts.value(0), parts.value(1));
    EXPECT_TRUE(std::any_of(kAboutDialog.controls.begin(), kAboutDialog.controls.end(),
                            [&](const ControlTemplate& row) { return QString::fromUtf8(row.text) == label; }));
}

}  // namespace
