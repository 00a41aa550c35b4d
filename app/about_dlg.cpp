#include "app/about_dlg.h"

#include "platform/dialog_font.h"
#include "res/dialogs.h"
#include "res/resource.h"

CAboutDlg::CAboutDlg(QWidget* pParent) : CDialog(kAboutDialog, pParent) {}

bool CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_font = CreateDialogFont(15, QFont::DemiBold);
    GetDlgItem(IDC_PRODUCT_NAME)->setFont(m_font);
    return true;
}
