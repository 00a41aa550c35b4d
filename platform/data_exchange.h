#pragma once

#include <QString>
#include <QWidget>

class CDialog;

// One pass of a dialog's data exchange: from the controls to the members when
// m_bSaveAndValidate is true, from the members to the controls otherwise.
struct CDataExchange {
    CDialog* m_pDlgWnd;
    bool m_bSaveAndValidate;
};

// Text of the edit id with value.
void DDX_Text(CDataExchange* pDX, int id, QString& value);

// Check state of the check box id with value: 0 unchecked, 1 checked, 2 partly checked.
void DDX_Check(CDataExchange* pDX, int id, int& value);

// Binds control to the widget id on the first exchange in either direction; a control
// already bound stays as it is.
QWidget* BindControl(CDataExchange* pDX, int id, const char* className);

template <class Widget>
void DDX_Control(CDataExchange* pDX, int id, Widget*& control) {
    if (control == nullptr) control = static_cast<Widget*>(BindControl(pDX, id, Widget::staticMetaObject.className()));
}
