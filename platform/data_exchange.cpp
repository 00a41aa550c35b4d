#include "platform/data_exchange.h"

#include <QCheckBox>
#include <QLineEdit>

#include "platform/dialog.h"

// A template and the code that exchanges with it belong together: a control that is
// missing or of another kind is a programming error, stopped at the first exchange.
QWidget* BindControl(CDataExchange* pDX, int id, const char* className) {
    QWidget* widget = pDX->m_pDlgWnd->GetDlgItem(id);
    if (widget == nullptr || !widget->inherits(className))
        qFatal("dialog data exchange: control %d is missing or not a %s", id, className);
    return widget;
}

void DDX_Text(CDataExchange* pDX, int id, QString& value) {
    auto* edit = static_cast<QLineEdit*>(BindControl(pDX, id, "QLineEdit"));
    if (pDX->m_bSaveAndValidate)
        value = edit->text();
    else
        edit->setText(value);
}

void DDX_Check(CDataExchange* pDX, int id, int& value) {
    auto* box = static_cast<QCheckBox*>(BindControl(pDX, id, "QCheckBox"));
    if (pDX->m_bSaveAndValidate) {
        const Qt::CheckState state = box->checkState();
        value = state == Qt::Checked ? 1 : state == Qt::PartiallyChecked ? 2 : 0;
    } else {
        box->setCheckState(value == 0 ? Qt::Unchecked : value == 1 ? Qt::Checked : Qt::PartiallyChecked);
    }
}
