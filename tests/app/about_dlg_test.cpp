#include "app/about_dlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QtTest/QTest>

#include "app/sonatag_dlg.h"
#include "res/resource.h"
#include "tests/support/widget_testing.h"

namespace sonatag::test {
namespace {

TEST(AboutDlgTest, OpensFromTheBitmapButtonOverTheMainWindowAndClosesLeavingNothingBehind) {
    CSonatagDlg dlg;
    dlg.show();
    const auto topLevelsBefore = QApplication::topLevelWidgets().size();
    for (const Qt::Key closeWith : {Qt::Key_Return, Qt::Key_Escape}) {
        QPointer<CAboutDlg> about;
        WhenModalOpens([&](QWidget* modal) {
            about = qobject_cast<CAboutDlg*>(modal);
            ASSERT_NE(about, nullptr);
            EXPECT_EQ(about->windowTitle(), QStringLiteral("关于"));
            EXPECT_EQ(about->parentWidget(), &dlg);
            EXPECT_EQ(about->focusWidget(), about->GetDlgItem(IDOK));
            QTest::keyClick(modal, closeWith);
        });
        QTest::mouseClick(dlg.m_btnAbout, Qt::LeftButton);
        EXPECT_TRUE(about.isNull()) << "the box outlives its opening";
    }
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(QApplication::topLevelWidgets().size(), topLevelsBefore);
}

}  // namespace
}  // namespace sonatag::test
