#include "platform/dialog.h"

#include <QAbstractButton>
#include <QContextMenuEvent>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QShortcut>
#include <algorithm>

#include "platform/dialog_builder.h"
#include "platform/dialog_font.h"
#include "platform/focus_ring.h"
#include "platform/list_box.h"

namespace {

Qt::WindowFlags WindowFlagsOf(const DialogTemplate& dialogTemplate) {
    Qt::WindowFlags flags =
        Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    // A window that can be minimised is a window of its own, with its own taskbar entry.
    if (dialogTemplate.minimizeBox) return flags | Qt::Window | Qt::WindowMinimizeButtonHint;
    return flags | Qt::Dialog;
}

QMessageBox::Icon MessageBoxIcon(unsigned int type) {
    switch (type & 0xF0) {
        case MB_ICONERROR:
            return QMessageBox::Critical;
        case MB_ICONEXCLAMATION:
            return QMessageBox::Warning;
        case MB_ICONINFORMATION:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

CDialog::ErrorTextHook errorTextHook = nullptr;

}  // namespace

CDialog::CDialog(const DialogTemplate& dialogTemplate, QWidget* parent, HostedControlFactory createHosted)
    : QDialog(parent, WindowFlagsOf(dialogTemplate)), baseUnits_(DialogTemplateFont()) {
    setFont(DialogTemplateFont());
    setWindowTitle(QString::fromUtf8(dialogTemplate.caption));
    setFixedSize(baseUnits_.toPixels(dialogTemplate.width, dialogTemplate.height));
    for (const ControlTemplate& row : dialogTemplate.controls) {
        controls_.push_back({row.id, CreateControl(row, this, baseUnits_, createHosted)});
        ConnectNotifications(controls_.back());
    }
    PutControlsInGroups();
    new FocusRing(this);
}

// A screen reader finds a control under the group box it stands in only when the box is its
// parent. The dialog's focus chain, which is the template's tab order, does not change with a
// parent in the same window. The controls move in their stacking order, bottom first, so that
// they keep it; a frame stacked under the box stays there, as the box paints over it.
void CDialog::PutControlsInGroups() {
    std::vector<QGroupBox*> groups;
    for (const Control& control : controls_) {
        if (auto* group = qobject_cast<QGroupBox*>(control.widget)) groups.push_back(group);
    }
    const QObjectList stacked = children();
    for (qsizetype at = 0; at < stacked.size(); ++at) {
        auto* widget = qobject_cast<QWidget*>(stacked[at]);
        if (widget == nullptr || qobject_cast<QGroupBox*>(widget) != nullptr) continue;
        const auto group = std::find_if(groups.begin(), groups.end(), [&](QGroupBox* g) {
            return stacked.indexOf(g) < at && g->geometry().contains(widget->geometry());
        });
        if (group == groups.end()) continue;
        const QPoint inGroup = widget->pos() - (*group)->pos();
        widget->setParent(*group);
        widget->move(inGroup);
    }
}

int CDialog::DoModal() {
    Create();
    return exec() == QDialog::Accepted ? IDOK : IDCANCEL;
}

void CDialog::Create() {
    if (initialized_) return;
    initialized_ = true;
    if (OnInitDialog()) FocusFirstTabStop();
}

void CDialog::setVisible(bool visible) {
    if (visible) Create();
    QDialog::setVisible(visible);
}

bool CDialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

void CDialog::DoDataExchange(CDataExchange*) {}

void CDialog::UpdateData(bool bSaveAndValidate) {
    CDataExchange exchange{this, bSaveAndValidate};
    DoDataExchange(&exchange);
}

QWidget* CDialog::GetDlgItem(int id) const {
    const auto found = std::find_if(controls_.begin(), controls_.end(), [id](const Control& c) { return c.id == id; });
    return found == controls_.end() ? nullptr : found->widget;
}

void CDialog::SetDlgItemText(int id, const QString& text) {
    QWidget* widget = GetDlgItem(id);
    if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        group->setTitle(QString(text).replace(u'&', QStringLiteral("&&")));
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(text);
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(text);
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->setText(text);
    } else if (widget != nullptr) {
        widget->setWindowTitle(text);
    }
}

QString CDialog::GetDlgItemText(int id) const {
    const QWidget* widget = GetDlgItem(id);
    if (auto* group = qobject_cast<const QGroupBox*>(widget))
        return QString(group->title()).replace(QStringLiteral("&&"), QStringLiteral("&"));
    if (auto* button = qobject_cast<const QAbstractButton*>(widget)) return button->text();
    if (auto* label = qobject_cast<const QLabel*>(widget)) return label->text();
    if (auto* edit = qobject_cast<const QLineEdit*>(widget)) return edit->text();
    return widget != nullptr ? widget->windowTitle() : QString();
}

int CDialog::MessageBox(const QString& text, const QString& caption, unsigned int type) {
    QMessageBox box(MessageBoxIcon(type), caption, QString(), QMessageBox::NoButton, this);
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setStandardButtons((type & 0xF) == MB_YESNO ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok);
    if (type & MB_TOPMOST) box.setWindowFlag(Qt::WindowStaysOnTopHint);
    switch (box.exec()) {
        case QMessageBox::Yes:
            return IDYES;
        case QMessageBox::No:
            return IDNO;
        default:
            return IDOK;
    }
}

std::unique_ptr<QMenu> CDialog::PopupMenu(const MenuTemplate& menu) {
    std::unique_ptr<QMenu> popup = CreatePopupMenu(menu, this);
    for (QAction* action : popup->actions()) {
        const int id = action->data().toInt();
        action->setEnabled(!disabledMenuItems_.contains(id));
        action->setCheckable(checkedMenuItems_.contains(id));
        action->setChecked(checkedMenuItems_.value(id));
    }
    return popup;
}

int CDialog::TrackPopupMenu(const MenuTemplate& menu, QPoint point) {
    const std::unique_ptr<QMenu> popup = PopupMenu(menu);
    const QAction* chosen = popup->exec(point);
    if (chosen == nullptr) return 0;
    const int id = chosen->data().toInt();
    OnCmdMsg(id, BN_CLICKED);
    return id;
}

void CDialog::AddMenuShortcuts(const MenuTemplate& menu) {
    for (const MenuItemTemplate& item : menu.items) {
        if (item.shortcut == nullptr) continue;
        auto* shortcut = new QShortcut(QKeySequence(QString::fromLatin1(item.shortcut)), this);
        connect(shortcut, &QShortcut::activated, this, [this, id = item.id] { OnCmdMsg(id, BN_CLICKED); });
    }
}

void CDialog::EnableMenuItem(int id, bool enable) {
    if (enable)
        disabledMenuItems_.remove(id);
    else
        disabledMenuItems_.insert(id);
}

bool CDialog::OnCmdMsg(int id, int code) {
    const auto route = std::find_if(routes_.begin(), routes_.end(), [=](const Route& r) {
        return r.message == MessageKind::Command && r.id == id && r.code == code;
    });
    if (route == routes_.end()) return false;
    RunGuarded(route->onCommand);
    return true;
}

void CDialog::ConnectNotifications(const Control& control) {
    const int id = control.id;
    if (auto* list = qobject_cast<CListBox*>(control.widget)) {
        connect(list, &CListBox::selChange, this, [this, id] { OnCmdMsg(id, LBN_SELCHANGE); });
        connect(list, &CListBox::dblClk, this, [this, id] { OnCmdMsg(id, LBN_DBLCLK); });
    } else if (auto* button = qobject_cast<QAbstractButton*>(control.widget)) {
        connect(button, &QAbstractButton::clicked, this, [this, id] {
            if (!OnCmdMsg(id, BN_CLICKED)) OnUnmappedClick(id);
        });
    }
}

void CDialog::OnUnmappedClick(int id) {
    if (id == IDOK) {
        UpdateData(true);
        accept();
    }
    if (id == IDCANCEL) reject();
}

void CDialog::RunGuarded(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        const std::optional<QString> text = errorTextHook != nullptr ? errorTextHook(error) : std::nullopt;
        if (!text) throw;
        MessageBox(*text, QStringLiteral("错误"), MB_OK | MB_ICONERROR | MB_TOPMOST);
    }
}

void CDialog::SetErrorTextHook(ErrorTextHook hook) {
    errorTextHook = hook;
}

void CDialog::FocusFirstTabStop() {
    for (const Control& control : controls_) {
        if ((control.widget->focusPolicy() & Qt::TabFocus) && control.widget->isEnabled()) {
            control.widget->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

QWidget* CDialog::ControlAt(QPoint pos) const {
    const auto isControl = [this](const QWidget* w) {
        return std::any_of(controls_.begin(), controls_.end(), [w](const Control& c) { return c.widget == w; });
    };
    QWidget* widget = childAt(pos);
    while (widget != nullptr && !isControl(widget)) widget = widget->parentWidget();
    return widget != nullptr ? widget : const_cast<CDialog*>(this);
}

void CDialog::contextMenuEvent(QContextMenuEvent* event) {
    const auto route = std::find_if(routes_.begin(), routes_.end(),
                                    [](const Route& r) { return r.message == MessageKind::ContextMenu; });
    if (route == routes_.end()) {
        QDialog::contextMenuEvent(event);
        return;
    }
    QWidget* window = ControlAt(event->pos());
    const QPoint point = event->reason() == QContextMenuEvent::Keyboard ? QPoint(-1, -1) : event->globalPos();
    RunGuarded([&] { route->onContextMenu(window, point); });
}
