#pragma once

#include <span>

// A dialog described as data: its size and caption, and one row per control with the
// control's position in dialog units. CDialog builds the widgets from it.

enum class ControlKind {
    PushButton,    // the DefaultButton style makes it the dialog's default button
    BitmapButton,  // flat button whose face is an image set by the dialog
    CheckBox,      // automatic check box
    Edit,          // one-line text field
    Static,        // plain text, '&' included; wraps at word or CJK boundaries
    Icon,          // image label; the row's text is the image's resource path
    GroupBox,
    EtchedFrame,
    ListBox,  // extended multiple selection, items in insertion order
    Hosted,   // a control that the dialog's owner creates (see HostedControlFactory)
};

// The parts of a control's style that change how it is built.
enum ControlStyle : unsigned {
    kNoStyle = 0,
    kDefaultButton = 1u << 0,  // Enter presses it
    kCentre = 1u << 1,         // text centred horizontally
    kStaticEdge = 1u << 2,     // thin sunken border
};

struct ControlTemplate {
    const char* idName;  // the control's objectName
    int id;
    ControlKind kind;
    const char* text;         // UTF-8
    unsigned style;           // ControlStyle bits
    int x, y, width, height;  // dialog units
};

struct DialogTemplate {
    int id;
    const char* caption;
    int width, height;  // dialog units
    bool minimizeBox;   // otherwise the window has only its close box
    std::span<const ControlTemplate> controls;
};

// An item of id 0 is a separator line.
struct MenuItemTemplate {
    const char* idName;
    int id;
    const char* text;
    const char* shortcut = nullptr;  // as QKeySequence reads it ("Ctrl+Z"), shown beside the text
};

// A popup menu; the title stands in the resource but is never shown.
struct MenuTemplate {
    int id;
    const char* title;
    std::span<const MenuItemTemplate> items;
};
