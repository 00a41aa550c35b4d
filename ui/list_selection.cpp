#include "ui/list_selection.h"

#include <QStringList>
#include <algorithm>

#include "platform/list_box.h"

namespace sonatag::ui {

int CaretRow(const CListBox& list) {
    if (list.count() == 0) return -1;
    return std::max(list.currentRow(), 0);
}

QString CaretPath(const CListBox& list) {
    const int row = CaretRow(list);
    return row < 0 ? QString() : list.item(row)->text();
}

std::vector<int> SelectedRows(const CListBox& list) {
    std::vector<int> rows;
    for (const QItemSelectionRange& range : list.selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row) rows.push_back(row);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

// Taking the items out one by one costs time in proportion to the list's length for each
// item, so the list is filled anew with the items that stay.
void DeleteRows(CListBox& list, const std::vector<int>& rows) {
    const int caret = CaretRow(list);
    QStringList kept;
    kept.reserve(list.count() - static_cast<qsizetype>(rows.size()));
    int newCaret = -1;
    bool caretSettled = false;
    auto deleted = rows.begin();
    for (int row = 0; row < list.count(); ++row) {
        if (deleted != rows.end() && *deleted == row) {
            ++deleted;
            continue;
        }
        if (!caretSettled) {
            newCaret = static_cast<int>(kept.size());
            caretSettled = row >= caret;
        }
        kept.append(list.item(row)->text());
    }

    // Moving the caret would scroll it into view; the list stays where the user left it.
    const bool autoScroll = list.hasAutoScroll();
    list.setUpdatesEnabled(false);
    list.setAutoScroll(false);
    list.clear();
    list.addItems(kept);
    if (newCaret >= 0) list.setCurrentRow(newCaret, QItemSelectionModel::NoUpdate);
    list.setAutoScroll(autoScroll);
    list.setUpdatesEnabled(true);
}

}  // namespace sonatag::ui
