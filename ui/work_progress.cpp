#include "ui/work_progress.h"

#include <QCoreApplication>
#include <QProgressBar>
#include <QProgressDialog>

namespace sonatag::ui {
namespace {

// Events are handled at most this often, so that many quick files cost little.
constexpr qint64 kUpdateEveryMs = 30;

}  // namespace

WorkProgress::WorkProgress(QWidget* parent, QString caption, QString label, int total,
                           std::chrono::milliseconds showAfter)
    : parent_(parent), caption_(std::move(caption)), label_(std::move(label)), total_(total), showAfter_(showAfter) {
    parent_->window()->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    clock_.start();
}

WorkProgress::~WorkProgress() = default;

bool WorkProgress::Step(int done) {
    const qint64 now = clock_.elapsed();
    if (!dialog_) {
        if (now < showAfter_.count()) return true;
        Show(done);
    } else if (now - lastUpdate_ < kUpdateEveryMs && done < total_) {
        return !dialog_->wasCanceled();
    }
    lastUpdate_ = now;
    if (total_ == 0)
        dialog_->setLabelText(label_.arg(done));
    else
        dialog_->setValue(done);
    QCoreApplication::processEvents();
    return !dialog_->wasCanceled();
}

void WorkProgress::Close() {
    dialog_.reset();
}

void WorkProgress::Show(int done) {
    dialog_ = std::make_unique<QProgressDialog>(parent_);
    auto* bar = new QProgressBar(dialog_.get());
    bar->setFormat(QStringLiteral("%v / %m"));
    dialog_->setBar(bar);  // before the range, which a new bar would not take
    dialog_->setWindowTitle(caption_);
    dialog_->setLabelText(total_ == 0 ? label_.arg(done) : label_);
    dialog_->setCancelButtonText(QStringLiteral("取消"));
    dialog_->setWindowModality(Qt::WindowModal);
    dialog_->setAutoReset(false);
    dialog_->setAutoClose(false);
    dialog_->setMinimumDuration(0);
    dialog_->setRange(0, total_);
    dialog_->show();
}

}  // namespace sonatag::ui
