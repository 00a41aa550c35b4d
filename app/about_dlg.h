#pragma once

#include <QFont>

#include "platform/dialog.h"

// The About box: icon, product name, version, author credit and a usage notice.
// Enter, Escape and its OK button close it.
class CAboutDlg : public CDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* pParent = nullptr);

    QFont m_font;  // the product name's font

protected:
    bool OnInitDialog() override;
};
