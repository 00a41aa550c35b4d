#pragma once

#include <QPoint>

#include "platform/dialog_ids.h"

class QWidget;

// One row of a dialog's message map: which message from which control runs which handler.
// A dialog keeps its rows in one table and hands them to CDialog::SetMessageMap.
enum class MessageKind { Command, ContextMenu };

template <class Dialog>
struct MessageMapEntry {
    MessageKind message;
    int code;  // notification code of a command: BN_CLICKED, LBN_SELCHANGE, ...
    int id;    // control or menu command id
    void (Dialog::*onCommand)();
    void (Dialog::*onContextMenu)(QWidget* pWnd, QPoint point);
};

// A click of the button id, or the menu command id.
template <class Dialog>
constexpr MessageMapEntry<Dialog> OnClicked(int id, void (Dialog::*handler)()) {
    return {MessageKind::Command, BN_CLICKED, id, handler, nullptr};
}

// The notification code from the control id, e.g. LBN_SELCHANGE from a list box.
template <class Dialog>
constexpr MessageMapEntry<Dialog> OnNotify(int code, int id, void (Dialog::*handler)()) {
    return {MessageKind::Command, code, id, handler, nullptr};
}

// A request for a context menu anywhere in the dialog. The handler gets the control under
// the point (or the dialog) and the point in screen coordinates, (-1, -1) from the keyboard.
template <class Dialog>
constexpr MessageMapEntry<Dialog> OnContextMenuRequest(void (Dialog::*handler)(QWidget* pWnd, QPoint point)) {
    return {MessageKind::ContextMenu, 0, 0, nullptr, handler};
}
