#include "tests/support/widget_testing.h"

#include <QApplication>
#include <QTimer>
#include <QtTest/QTest>
#include <memory>
#include <ostream>

void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace sonatag::test {

void TypeText(QWidget* widget, const QString& text) {
    for (const uint codePoint : text.toUcs4()) {
        const char32_t character = codePoint;
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString::fromUcs4(&character, 1), Qt::NoModifier);
    }
}

void WhenModalOpens(std::function<void(QWidget* modal)> action) {
    QWidget* const before = QApplication::activeModalWidget();
    auto* poll = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, poll, [=] {
        QWidget* opened = QApplication::activeModalWidget();
        const bool found = opened != nullptr && opened != before;
        if (found || ++*tries > 500) poll->deleteLater();
        if (found) action(opened);
    });
    poll->start(10);
}

}  // namespace sonatag::test
