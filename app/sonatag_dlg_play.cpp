// The Play command: the caret item of the file list goes to the player.

#include <QLineEdit>

#include "app/sonatag_dlg.h"
#include "platform/list_box.h"
#include "player/ocx1.h"
#include "res/resource.h"
#include "ui/list_selection.h"
#include "ui/tag_text.h"

using sonatag::ui::CaretPath;
using sonatag::ui::FileName;

void CSonatagDlg::OnPlay() {
    if (m_listFiles->count() < 1) {
        SetDlgItemText(IDC_PLAY_GROUP, QStringLiteral("播放音乐"));
        m_player->put_URL(QString());
        return;
    }
    const QString path = CaretPath(*m_listFiles);
    SetDlgItemText(IDC_PLAY_GROUP, QStringLiteral("播放音乐 - ") + sonatag::ui::Visible(FileName(path, 0)));
    m_player->put_URL(path);
    // The player holds the file now; the panel shows these texts for it instead of reading it.
    GetDlgItem(IDOK)->setEnabled(false);
    m_strSavedTitle = m_strTitle;
    m_strSavedArtist = m_strArtist;
    m_strSavedAlbum = m_strAlbum;
    savedPlaceholder_ = m_editArtist->placeholderText();
}

void CSonatagDlg::OnListPlayCurrent() {
    OnPlay();
}

void CSonatagDlg::OnDblclkFileList() {
    OnPlay();
}
