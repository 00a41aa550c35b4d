#pragma once

#include <QString>
#include <vector>

class CListBox;

// The file list as the commands see it: items are full paths, one of them is the caret item,
// any set of them is selected.
namespace sonatag::ui {

// The caret item's row: the list's current row, or row 0 while the list has items but no
// current row yet; -1 for an empty list.
int CaretRow(const CListBox& list);
// The caret item's path; empty for an empty list.
QString CaretPath(const CListBox& list);

// The rows of the selected items, ascending.
std::vector<int> SelectedRows(const CListBox& list);

// Deletes the items at rows (ascending, each in the list). The items that stay keep their
// order and are not selected; the caret stays on its item, or when that goes, moves to the
// next item that stays, else to the last one. The list stays scrolled where it was as far as
// its new length allows.
void DeleteRows(CListBox& list, const std::vector<int>& rows);

}  // namespace sonatag::ui
