#include "app/about_dlg.h"

#include "platform/dialog_font.h"
#include "res/dialogs.h"
#include "res/resource.h"

namespace {

constexpr int kProductNameFontPixels = 15;

}  // namespace

CAboutDlg::CAboutDlg(QWidget* pParent) : CDialog(kAboutDialog, pParent) {}

bool CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_font = CreateDialogFont(kProductNameFontPixels, QFont::DemiBold);
    GetDlgItem(IDC_PRODUCT_NAME)->setFont(m_font);
    return true;
}
