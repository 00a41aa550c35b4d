#include "platform/focus_ring.h"

#include <QApplication>
#include <QPainter>

namespace {

constexpr int kWidth = 2;  // of the line
constexpr int kGap = 1;    // between the line and the control

}  // namespace

FocusRing::FocusRing(QWidget* window) : QWidget(window) {
    setObjectName(QStringLiteral("focusRing"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    hide();
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { Follow(now); });
}

void FocusRing::Follow(QWidget* focus) {
    QWidget* window = parentWidget();
    if (focus == nullptr || focus == window || focus->window() != window ||
        !window->testAttribute(Qt::WA_KeyboardFocusChange)) {
        hide();
        return;
    }
    const int margin = kWidth + kGap;
    const QRect frame =
        QRect(focus->mapTo(window, QPoint(0, 0)), focus->size()).adjusted(-margin, -margin, margin, margin);
    setGeometry(frame);
    setMask(QRegion(rect()).subtracted(QRegion(rect().adjusted(kWidth, kWidth, -kWidth, -kWidth))));
    raise();
    show();
}

void FocusRing::paintEvent(QPaintEvent*) {
    QPainter(this).fillRect(rect(), palette().color(QPalette::Highlight));
}
