#include "app/sonatag_app.h"

#include <gtest/gtest.h>

#include <QMessageBox>
#include <QPushButton>

namespace {

TEST(SonatagAppTest, StandardButtonsReadInChineseOnceQtTranslationsAreInstalled) {
    ASSERT_TRUE(InstallQtTranslations(*QCoreApplication::instance()));
    QMessageBox box(QMessageBox::Warning, QString(), QString(), QMessageBox::Yes | QMessageBox::No);
    EXPECT_TRUE(box.button(QMessageBox::Yes)->text().startsWith(QStringLiteral("是")));
    EXPECT_TRUE(box.button(QMessageBox::No)->text().startsWith(QStringLiteral("否")));
}

}  // namespace
