#include "app/sonatag_dlg.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/about_dlg.h"
#include "platform/dialog_font.h"
#include "platform/list_box.h"
#include "player/ocx1.h"
#include "res/dialogs.h"
#include "res/images.h"
#include "res/resource.h"
#include "tag/id3v1_tag.h"
#include "ui/cp936_limit_validator.h"
#include "ui/file_error_text.h"
#include "ui/tag_text.h"
#include "ui/window_journal.h"
#include "ui/work_progress.h"

namespace {

// The three labels over the edits stand out in a larger font than the dialog's.
constexpr int kLabelFontPixels = 14;

QWidget* CreatePlayer(QWidget* parent) {
    return new COcx1(parent);
}

}  // namespace

// One row per command or notification; the first row that matches runs.
const MessageMapEntry<CSonatagDlg> CSonatagDlg::kMessageMap[] = {
    OnClicked(IDOK, &CSonatagDlg::OnModify),
    OnClicked(IDC_ADD, &CSonatagDlg::OnAdd),
    OnClicked(IDC_CLEAR, &CSonatagDlg::OnClear),
    OnClicked(IDC_REMOVE, &CSonatagDlg::OnRemove),
    OnClicked(IDC_USE_FILE_NAME, &CSonatagDlg::OnUseFileName),
    OnNotify(LBN_SELCHANGE, IDC_FILE_LIST, &CSonatagDlg::OnSelchangeFileList),
    OnClicked(IDC_SELECT_ALL, &CSonatagDlg::OnSelectAll),
    OnClicked(ID_LIST_REMOVE_CURRENT, &CSonatagDlg::OnListRemoveCurrent),
    OnClicked(ID_LIST_SELECT_ALL, &CSonatagDlg::OnListSelectAll),
    OnContextMenuRequest(&CSonatagDlg::OnContextMenu),
    OnClicked(IDC_ABOUT, &CSonatagDlg::OnAbout),
    OnClicked(IDC_PLAY, &CSonatagDlg::OnPlay),
    OnClicked(ID_LIST_PLAY_CURRENT, &CSonatagDlg::OnListPlayCurrent),
    OnNotify(LBN_DBLCLK, IDC_FILE_LIST, &CSonatagDlg::OnDblclkFileList),
    OnClicked(ID_LIST_UNDO, &CSonatagDlg::OnUndo),
    OnClicked(ID_LIST_MIRROR_ID3V2, &CSonatagDlg::OnListMirrorId3v2),
    OnClicked(ID_LIST_REPAIR_ID3V2, &CSonatagDlg::OnListRepairId3v2),
};

CSonatagDlg::CSonatagDlg(QWidget* pParent)
    : CDialog(kMainDialog, pParent, &CreatePlayer), journalPath_(sonatag::ui::DefaultJournalPath()) {
    SetErrorTextHook(&sonatag::ui::FileErrorText);
    SetMessageMap<CSonatagDlg>(this, kMessageMap);
    m_hIcon = MainFrameIcon();
    setAcceptDrops(true);
    AddMenuShortcuts(kListMenu);
}

void CSonatagDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_TITLE, m_strTitle);
    DDX_Text(pDX, IDC_ARTIST, m_strArtist);
    DDX_Control(pDX, IDC_FILE_LIST, m_listFiles);
    DDX_Control(pDX, IDC_TITLE, m_editTitle);
    DDX_Control(pDX, IDC_ARTIST, m_editArtist);
    DDX_Control(pDX, IDC_ALBUM, m_editAlbum);
    DDX_Text(pDX, IDC_ALBUM, m_strAlbum);
    DDX_Check(pDX, IDC_USE_FILE_NAME, m_bUseFileName);
    DDX_Control(pDX, IDC_USE_FILE_NAME, m_checkUseFileName);
    DDX_Control(pDX, IDC_ABOUT, m_btnAbout);
    DDX_Control(pDX, IDC_PLAYER, m_player);
}

bool CSonatagDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    m_fontLabels = CreateDialogFont(kLabelFontPixels, QFont::Normal);
    for (const int label : {IDC_TITLE_LABEL, IDC_ARTIST_LABEL, IDC_ALBUM_LABEL})
        GetDlgItem(label)->setFont(m_fontLabels);

    setWindowIcon(m_hIcon);

    for (QWidget* control : std::initializer_list<QWidget*>{m_checkUseFileName, m_editTitle, m_editArtist, m_editAlbum})
        control->setEnabled(false);

    for (QLineEdit* edit : {m_editTitle, m_editArtist, m_editAlbum}) SetLimitText(edit, sonatag::kFieldSize);
    // Screen readers name each edit by the label above it, and the list by what it holds.
    const std::pair<int, QWidget*> labelled[] = {
        {IDC_TITLE_LABEL, m_editTitle}, {IDC_ARTIST_LABEL, m_editArtist}, {IDC_ALBUM_LABEL, m_editAlbum}};
    for (const auto& [label, edit] : labelled) {
        static_cast<QLabel*>(GetDlgItem(label))->setBuddy(edit);
        edit->setAccessibleName(GetDlgItemText(label));
    }
    m_listFiles->setAccessibleName(QStringLiteral("文件列表"));
    m_listFiles->SetItemToolTip([this](int row) { return sonatag::ui::TagToolTip(m_listFiles->item(row)->text()); });

    const QPixmap aboutFace = AboutBitmap();
    m_btnAbout->setIcon(aboutFace);
    m_btnAbout->setIconSize(aboutFace.size());
    m_btnAbout->setToolTip(QStringLiteral("关于"));
    m_btnAbout->setAccessibleName(QStringLiteral("关于"));
    return true;
}

std::chrono::milliseconds CSonatagDlg::ProgressDelay() const {
    return sonatag::ui::WorkProgress::kShowAfter;
}

void CSonatagDlg::OnAbout() {
    CAboutDlg dlgAbout(this);
    dlgAbout.DoModal();
}
