#include "platform/list_box.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QTextDocument>
#include <QToolTip>

namespace {

// A press, release or double-click of another button than the left, or a move with another
// button held.
bool IsOtherButton(const QMouseEvent* event) {
    if (event->type() == QEvent::MouseMove) return (event->buttons() & ~Qt::MouseButtons(Qt::LeftButton)) != 0;
    return event->button() != Qt::LeftButton;
}

}  // namespace

CListBox::CListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSortingEnabled(false);
    connect(this, &QListWidget::itemDoubleClicked, this, &CListBox::dblClk);
}

template <class Handler>
void CListBox::AsUserInput(Handler&& handler) {
    ++userInputDepth_;
    handler();
    --userInputDepth_;
    if (userInputDepth_ == 0 && changedByUser_) {
        changedByUser_ = false;
        emit selChange();
    }
}

void CListBox::mousePressEvent(QMouseEvent* event) {
    if (IsOtherButton(event)) return;
    AsUserInput([&] { QListWidget::mousePressEvent(event); });
}

void CListBox::mouseMoveEvent(QMouseEvent* event) {
    if (IsOtherButton(event)) return;
    AsUserInput([&] { QListWidget::mouseMoveEvent(event); });
}

void CListBox::mouseReleaseEvent(QMouseEvent* event) {
    if (IsOtherButton(event)) return;
    AsUserInput([&] { QListWidget::mouseReleaseEvent(event); });
}

void CListBox::mouseDoubleClickEvent(QMouseEvent* event) {
    if (IsOtherButton(event)) return;
    QListWidget::mouseDoubleClickEvent(event);
}

bool CListBox::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip || !itemToolTip_) return QListWidget::viewportEvent(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const QModelIndex index = indexAt(help->pos());
    if (!index.isValid()) {
        QToolTip::hideText();
        return true;
    }
    // A tooltip takes anything that looks like markup as markup.
    const QString text = Qt::convertFromPlainText(itemToolTip_(index.row()), Qt::WhiteSpaceNoWrap);
    QToolTip::showText(help->globalPos(), text, viewport(), visualRect(index));
    return true;
}

void CListBox::keyPressEvent(QKeyEvent* event) {
    AsUserInput([&] { QListWidget::keyPressEvent(event); });
}

void CListBox::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
    QListWidget::selectionChanged(selected, deselected);
    if (userInputDepth_ > 0) changedByUser_ = true;
}

void CListBox::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QListWidget::currentChanged(current, previous);
    if (userInputDepth_ > 0) changedByUser_ = true;
}
