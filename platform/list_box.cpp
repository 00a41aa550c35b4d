#include "platform/list_box.h"

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
    AsUserInput([&] { QListWidget::mousePressEvent(event); });
}

void CListBox::mouseMoveEvent(QMouseEvent* event) {
    AsUserInput([&] { QListWidget::mouseMoveEvent(event); });
}

void CListBox::mouseReleaseEvent(QMouseEvent* event) {
    AsUserInput([&] { QListWidget::mouseReleaseEvent(event); });
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
