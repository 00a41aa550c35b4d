#pragma once

#include <QListWidget>
#include <functional>

// The list control of the dialogs: extended multiple selection, items kept in the order
// they are inserted. selChange() is sent only when the user changes the selection or the
// caret item with the mouse or the keyboard, never for a change made by the program.
// Only the left button selects, moves the caret or double-clicks: a right click leaves the
// selection as it was, for the context menu to act on. An item's tooltip, when the list has a
// source for it, is asked for each time it is shown and shown as plain text.
class CListBox : public QListWidget {
    Q_OBJECT

public:
    explicit CListBox(QWidget* parent = nullptr);

    void SetItemToolTip(std::function<QString(int row)> toolTip) { itemToolTip_ = std::move(toolTip); }

signals:
    void selChange();
    void dblClk();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    template <class Handler>
    void AsUserInput(Handler&& handler);

    int userInputDepth_ = 0;
    bool changedByUser_ = false;
    std::function<QString(int row)> itemToolTip_;
};
