#pragma once

#include <QFont>
#include <QIcon>
#include <QString>
#include <QStringList>
#include <array>
#include <chrono>
#include <vector>

#include "platform/dialog.h"
#include "tag/tag_batch.h"

class CListBox;
class COcx1;
class QCheckBox;
class QDragEnterEvent;
class QDropEvent;
class QLineEdit;
class QPushButton;

namespace sonatag::ui {
class WorkProgress;
}

// The main window: the file list, the tag panel, the player and the About button.
// Enter runs the default button IDOK and never closes the window; Escape, the Exit
// button IDCANCEL and the close box close it.
//
// The controls are created from the window's template and owned by the window, as every
// Qt child widget is; the m_list/m_edit/m_check/m_btn members and m_player point to them,
// bound by the control exchanges of DoDataExchange on the first exchange (in OnInitDialog).
//
// Its members are defined in app/, a file for each area: sonatag_dlg.cpp (the window itself,
// the About button), sonatag_dlg_file_list.cpp, sonatag_dlg_paths.cpp (drops and the command
// line), sonatag_dlg_tag_panel.cpp, sonatag_dlg_play.cpp, sonatag_dlg_undo.cpp and
// sonatag_dlg_id3v2.cpp.
class CSonatagDlg : public CDialog {
    Q_OBJECT

public:
    explicit CSonatagDlg(QWidget* pParent = nullptr);

    // Appends the MP3 files named and every MP3 file under the folders named, with at most one
    // box for the paths in the list already and the folders that could not be read.
    void AddPaths(const QStringList& paths);
    // The same, once the window's event loop runs; relative paths are taken from the current
    // folder.
    void AddPathsAtStart(const QStringList& paths);

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    bool OnInitDialog() override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

    // Lets the user choose MP3 files; their full paths in the order chosen, or none when the
    // user cancelled.
    virtual QStringList ChooseFiles();
    // How long Modify, Undo, Add and a repair run before they show their progress.
    virtual std::chrono::milliseconds ProgressDelay() const;

    // Handlers of the message map.
    void OnAdd();
    void OnRemove();
    void OnClear();
    void OnSelectAll();
    void OnListRemoveCurrent();
    void OnListSelectAll();
    void OnContextMenu(QWidget* pWnd, QPoint point);
    void OnSelchangeFileList();
    void OnUseFileName();
    void OnModify();
    void OnUndo();
    void OnListMirrorId3v2();
    void OnListRepairId3v2();
    void OnPlay();
    void OnListPlayCurrent();
    void OnDblclkFileList();
    void OnAbout();

    QIcon m_hIcon;
    QString m_strTitle;
    QString m_strArtist;
    CListBox* m_listFiles = nullptr;
    QLineEdit* m_editTitle = nullptr;
    QLineEdit* m_editArtist = nullptr;
    QLineEdit* m_editAlbum = nullptr;
    QString m_strAlbum;
    int m_bUseFileName = 0;
    QCheckBox* m_checkUseFileName = nullptr;
    QFont m_fontLabels;
    QPushButton* m_btnAbout = nullptr;
    COcx1* m_player = nullptr;
    QString m_strSavedTitle;
    QString m_strSavedArtist;
    QString m_strSavedAlbum;
    // Where Modify keeps its journal for Undo.
    QString journalPath_;

private:
    static const MessageMapEntry<CSonatagDlg> kMessageMap[];

    // The file list (sonatag_dlg_file_list.cpp).
    void ShowFileCount();
    void AppendNewPaths(const QStringList& paths, sonatag::ui::WorkProgress& progress);
    void ResetPanel();

    // The tag panel (sonatag_dlg_tag_panel.cpp).
    std::array<QWidget*, 4> PanelControls() const;
    void SetPanelTexts(const QString& title, const QString& artist, const QString& album, const QString& placeholder);
    void ShowTagOf(const QString& path);
    void ApplyTitleRule(const QString& path, const QString& title);
    std::vector<sonatag::BatchFile> FilesToModify(const QStringList& paths);
    void ShowTitleOf(const QString& path);
    void ShowModifyDone(int written, const QStringList& tooShort, bool cancelled, int playersShowOther);

    // What the edits showed when empty as Play saved their texts: "无" for a file without a tag.
    QString savedPlaceholder_;
};
