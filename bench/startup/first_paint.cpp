#include "bench/startup/first_paint.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdio>

namespace {

class FirstPaintReporter : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!reported_ && event->type() == QEvent::Paint && widget != nullptr && widget->isWindow()) {
            reported_ = true;
            // Queued, so that it runs once the whole window has been painted and flushed.
            QTimer::singleShot(0, widget, [widget] {
                const auto now = std::chrono::steady_clock::now().time_since_epoch();
                std::printf("%lld\n", static_cast<long long>(std::chrono::nanoseconds(now).count()));
                std::fflush(stdout);
                widget->close();
            });
        }
        return false;
    }

private:
    bool reported_ = false;
};

}  // namespace

void ReportFirstPaintAndClose(QApplication& app) {
    app.installEventFilter(new FirstPaintReporter(&app));
}
