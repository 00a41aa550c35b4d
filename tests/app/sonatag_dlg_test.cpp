#include "app/sonatag_dlg.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest/QTest>

#include "res/resource.h"
#include "tests/support/widget_testing.h"

namespace sonatag::test {
namespace {

TEST(SonatagDlgTest, EnterRunsTheDefaultButtonAndNeverClosesTheWindow) {
    CSonatagDlg dlg;
    dlg.show();
    auto* modify = qobject_cast<QPushButton*>(dlg.GetDlgItem(IDOK));
    QSignalSpy clicks(modify, &QPushButton::clicked);
    dlg.m_editTitle->setEnabled(true);
    dlg.m_editTitle->setFocus();
    QTest::keyClick(dlg.m_editTitle, Qt::Key_Return);
    modify->setEnabled(false);
    QTest::keyClick(dlg.m_editTitle, Qt::Key_Enter);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_TRUE(dlg.isVisible());
}

}  // namespace
}  // namespace sonatag::test
