#pragma once

#include <memory>

#include "platform/dialog_template.h"
#include "platform/dialog_units.h"

class QMenu;
class QWidget;

// Creates the control of a ControlKind::Hosted row as a child of parent.
using HostedControlFactory = QWidget* (*)(QWidget* parent);

// Creates the widget of one template row as a child of parent, at the row's position
// converted with units. Its objectName is the row's id name. A hosted row is made by createHosted.
QWidget* CreateControl(const ControlTemplate& row, QWidget* parent, const DialogBaseUnits& units,
                       HostedControlFactory createHosted);

// A popup menu with one action per item; each action's objectName is the item's id name,
// its data the item's id, and its shortcut, shown beside its text, the item's.
std::unique_ptr<QMenu> CreatePopupMenu(const MenuTemplate& menu, QWidget* parent);
