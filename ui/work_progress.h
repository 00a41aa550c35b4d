#pragma once

#include <QElapsedTimer>
#include <QString>
#include <chrono>
#include <memory>

class QProgressDialog;
class QWidget;

namespace sonatag::ui {

// Progress of a long command, counted in files. Made, it first lets the window paint over a
// box that closed just before, since the work keeps events waiting until its first file is done.
// Nothing shows until the work has run for showAfter; then a window-modal progress dialog shows
// what is being done, the count done and the total with a cancel button, and the window keeps
// painting between files. Where the total is not known (0), the bar only shows that work goes
// on, and the label takes the count done for its %1.
class WorkProgress {
public:
    static constexpr std::chrono::milliseconds kShowAfter{500};

    WorkProgress(QWidget* parent, QString caption, QString label, int total,
                 std::chrono::milliseconds showAfter = kShowAfter);
    ~WorkProgress();
    WorkProgress(const WorkProgress&) = delete;
    WorkProgress& operator=(const WorkProgress&) = delete;

    // After each file; false once the user has cancelled.
    bool Step(int done);
    // Takes the dialog off the screen once the work is over, before its closing box shows.
    void Close();

private:
    void Show(int done);

    QWidget* parent_;
    QString caption_;
    QString label_;
    int total_;
    std::chrono::milliseconds showAfter_;
    QElapsedTimer clock_;
    qint64 lastUpdate_ = 0;
    std::unique_ptr<QProgressDialog> dialog_;
};

}  // namespace sonatag::ui
