#include "tests/support/widget_testing.h"

#include <QApplication>
#include <QTimer>
#include <QtTest/QTest>
#include <memory>

namespace sonatag::test {

namespace {

void WhenOpens(std::function<QWidget*()> find, std::function<void(QWidget*)> action) {
    QWidget* const before = find();
    auto* poll = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, poll, [=] {
        QWidget* opened = find();
        const bool found = opened != nullptr && opened != before;
        if (found || ++*tries > 500) {
            poll->stop();
            poll->deleteLater();
        }
        if (found) action(opened);
    });
    poll->start(10);
}

}  // namespace

void TypeText(QWidget* widget, const QString& text) {
    for (const uint codePoint : text.toUcs4()) {
        const char32_t character = codePoint;
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString::fromUcs4(&character, 1), Qt::NoModifier);
    }
}

void WhenModalOpens(std::function<void(QWidget* modal)> action) {
    WhenOpens(&QApplication::activeModalWidget, std::move(action));
}

void WhenPopupOpens(std::function<void(QWidget* popup)> action) {
    WhenOpens(&QApplication::activePopupWidget, std::move(action));
}

}  // namespace sonatag::test
