#pragma once

#include <QDialog>
#include <QHash>
#include <QSet>
#include <QString>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "platform/data_exchange.h"
#include "platform/dialog_builder.h"
#include "platform/dialog_template.h"
#include "platform/dialog_units.h"
#include "platform/message_map.h"

class QContextMenuEvent;
class QMenu;

// A dialog built from a DialogTemplate. It finds its controls by id, exchanges data between
// controls and members (DoDataExchange, UpdateData), runs the handlers of its message map
// and asks or tells the user only through MessageBox.
//
// Each handler runs in one guard: an exception that leaves it ends the handler and, when the
// error-text hook gives a text for it, is shown as that one error box. Others are not caught.
// A click of IDOK or IDCANCEL with no handler in the map accepts or rejects the dialog;
// Escape and the close box reject it.
class CDialog : public QDialog {
    Q_OBJECT

public:
    CDialog(const DialogTemplate& dialogTemplate, QWidget* parent, HostedControlFactory createHosted = nullptr);

    // The text of the error box for an exception that left a handler; nothing lets it through.
    using ErrorTextHook = std::optional<QString> (*)(const std::exception& error);
    static void SetErrorTextHook(ErrorTextHook hook);

    // Runs the dialog modally; returns IDOK or IDCANCEL.
    int DoModal();
    // Runs OnInitDialog once; showing the dialog does it too.
    void Create();

    void UpdateData(bool bSaveAndValidate = true);
    QWidget* GetDlgItem(int id) const;
    // Buttons take '&' as a mnemonic; group boxes and texts show the text as it is.
    void SetDlgItemText(int id, const QString& text);
    QString GetDlgItemText(int id) const;

    // Shows a message box modal to the dialog. type combines one MB_OK or MB_YESNO, one
    // MB_ICON... and MB_TOPMOST; the text is plain text. Returns IDOK, IDYES or IDNO.
    virtual int MessageBox(const QString& text, const QString& caption, unsigned int type);

    // Pops up menu at point (screen coordinates) and runs the command chosen, if any, as a
    // command of this dialog. Returns the id chosen or 0.
    virtual int TrackPopupMenu(const MenuTemplate& menu, QPoint point);

    // The shortcuts of menu's items run their commands wherever the focus is in the dialog,
    // unless the control with the focus takes the key for itself (an edit takes Ctrl+Z).
    void AddMenuShortcuts(const MenuTemplate& menu);

    // Menu commands that TrackPopupMenu shows greyed out; all are enabled at first.
    void EnableMenuItem(int id, bool enable);
    // Makes a menu command a check item that TrackPopupMenu shows ticked or not.
    void CheckMenuItem(int id, bool checked) { checkedMenuItems_[id] = checked; }

    // Runs the handler that the message map enters for code from id, in the guard.
    // Returns false when the map has none.
    bool OnCmdMsg(int id, int code);

    void setVisible(bool visible) override;

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    // Makes the first exchange towards the controls. Returning true puts the focus on the
    // first control that takes it in template order.
    virtual bool OnInitDialog();

    template <class Dialog>
    void SetMessageMap(Dialog* self, std::span<const MessageMapEntry<Dialog>> map);

    // The popup of menu as TrackPopupMenu shows it: its items greyed out and ticked as set.
    std::unique_ptr<QMenu> PopupMenu(const MenuTemplate& menu);

    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    struct Route {
        MessageKind message;
        int code;
        int id;
        std::function<void()> onCommand;
        std::function<void(QWidget*, QPoint)> onContextMenu;
    };
    struct Control {
        int id;
        QWidget* widget;
    };

    void PutControlsInGroups();
    void ConnectNotifications(const Control& control);
    void OnUnmappedClick(int id);
    void RunGuarded(const std::function<void()>& handler);
    void FocusFirstTabStop();
    QWidget* ControlAt(QPoint pos) const;

    DialogBaseUnits baseUnits_;
    std::vector<Control> controls_;
    std::vector<Route> routes_;
    QSet<int> disabledMenuItems_;
    QHash<int, bool> checkedMenuItems_;
    bool initialized_ = false;
};

template <class Dialog>
void CDialog::SetMessageMap(Dialog* self, std::span<const MessageMapEntry<Dialog>> map) {
    routes_.clear();
    for (const MessageMapEntry<Dialog>& entry : map) {
        Route route{entry.message, entry.code, entry.id, {}, {}};
        if (entry.onCommand != nullptr) route.onCommand = [self, h = entry.onCommand] { (self->*h)(); };
        if (entry.onContextMenu != nullptr)
            route.onContextMenu = [self, h = entry.onContextMenu](QWidget* w, QPoint p) { (self->*h)(w, p); };
        routes_.push_back(std::move(route));
    }
}
