#include "platform/dialog_builder.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

#include "platform/list_box.h"

namespace {

QWidget* CreatePushButton(const ControlTemplate& row, QWidget* parent) {
    auto* button = new QPushButton(QString::fromUtf8(row.text), parent);
    button->setDefault((row.style & kDefaultButton) != 0);
    return button;
}

// The face is an image the dialog sets; the row's text is not shown.
QWidget* CreateBitmapButton(const ControlTemplate& row, QWidget* parent) {
    auto* button = new QPushButton(parent);
    button->setFlat(true);
    if (row.style & kStaticEdge)
        button->setStyleSheet(QStringLiteral("QPushButton { border: 1px inset palette(mid); }"));
    return button;
}

QWidget* CreateStatic(const ControlTemplate& row, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(QString::fromUtf8(row.text));
    label->setWordWrap(true);
    // A centred text is centred both ways, so that a large font in a one-line box is not cut.
    label->setAlignment((row.style & kCentre) ? Qt::AlignCenter : Qt::AlignTop | Qt::AlignLeft);
    if (row.style & kStaticEdge) label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    return label;
}

QWidget* CreateIcon(const ControlTemplate& row, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setPixmap(QIcon(QString::fromUtf8(row.text)).pixmap(32, 32));
    return label;
}

QWidget* CreateEtchedFrame(QWidget* parent) {
    auto* frame = new QFrame(parent);
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    return frame;
}

QWidget* CreateWidget(const ControlTemplate& row, QWidget* parent, HostedControlFactory createHosted) {
    switch (row.kind) {
        case ControlKind::PushButton:
            return CreatePushButton(row, parent);
        case ControlKind::BitmapButton:
            return CreateBitmapButton(row, parent);
        case ControlKind::CheckBox:
            return new QCheckBox(QString::fromUtf8(row.text), parent);
        case ControlKind::Edit:
            return new QLineEdit(QString::fromUtf8(row.text), parent);
        case ControlKind::Static:
            return CreateStatic(row, parent);
        case ControlKind::Icon:
            return CreateIcon(row, parent);
        case ControlKind::GroupBox:
            return new QGroupBox(QString::fromUtf8(row.text), parent);
        case ControlKind::EtchedFrame:
            return CreateEtchedFrame(parent);
        case ControlKind::ListBox:
            return new CListBox(parent);
        case ControlKind::Hosted:
            return createHosted(parent);
    }
    return nullptr;
}

}  // namespace

QWidget* CreateControl(const ControlTemplate& row, QWidget* parent, const DialogBaseUnits& units,
                       HostedControlFactory createHosted) {
    QWidget* widget = CreateWidget(row, parent, createHosted);
    widget->setObjectName(QString::fromLatin1(row.idName));
    widget->setGeometry(units.toPixels(row.x, row.y, row.width, row.height));
    if (row.kind == ControlKind::Icon) widget->resize(32, 32);
    // Frames only decorate: the controls inside them must stay on top and take the mouse.
    if (row.kind == ControlKind::GroupBox || row.kind == ControlKind::EtchedFrame) widget->lower();
    return widget;
}

std::unique_ptr<QMenu> CreatePopupMenu(const MenuTemplate& menu, QWidget* parent) {
    auto popup = std::make_unique<QMenu>(QString::fromUtf8(menu.title), parent);
    for (const MenuItemTemplate& item : menu.items) {
        QAction* action = item.id == 0 ? popup->addSeparator() : popup->addAction(QString::fromUtf8(item.text));
        action->setObjectName(QString::fromLatin1(item.idName));
        action->setData(item.id);
        if (item.shortcut == nullptr) continue;
        action->setShortcut(QKeySequence(QString::fromLatin1(item.shortcut)));
        action->setShortcutVisibleInContextMenu(true);
    }
    return popup;
}
