#pragma once

#include <QFont>
#include <QIcon>
#include <QString>
#include <QStringList>
#include <chrono>

#include "platform/dialog.h"

class CListBox;
class COcx1;
class QCheckBox;
class QDragEnterEvent;
class QDropEvent;
class QLineEdit;
class QPushButton;

// The main window: the file list, the tag panel, the player and the About button.
// Enter runs the default button IDOK and never closes the window; Escape, the Exit
// button IDCANCEL and the close box close it.
//
// The controls are created from the window's template and owned by the window, as every
// Qt child widget is; the m_list/m_edit/m_check/m_btn members and m_player point to them,
// bound by the control exchanges of DoDataExchange on the first exchange (in OnInitDialog).
class CSonatagDlg : public CDialog {
    Q_OBJECT

public:
    explicit CSonatagDlg(QWidget* pParent = nullptr);

    // Handlers of the message map.
    void OnAdd();  // file list: ui/file_list.cpp
    void OnRemove();
    void OnClear();
    void OnSelectAll();
    void OnListRemoveCurrent();
    void OnListSelectAll();
    void OnContextMenu(QWidget* pWnd, QPoint point);
    void OnSelchangeFileList();  // tag panel: ui/tag_panel.cpp
    void OnUseFileName();
    void OnModify();
    void OnUndo();             // ui/undo_command.cpp
    void OnListMirrorId3v2();  // ui/id3v2_commands.cpp
    void OnListRepairId3v2();
    void OnPlay();  // player/play_command.cpp
    void OnListPlayCurrent();
    void OnDblclkFileList();
    void OnAbout();

    // Lets the user choose MP3 files; their full paths in the order chosen, or none when the
    // user cancelled.
    virtual QStringList ChooseFiles();
    // Writes the list's count into its caption.
    void ShowFileCount();

    // Drops and the command line (ui/path_intake.cpp): appends the MP3 files named and every
    // MP3 file under the folders named, with at most one box for the paths in the list
    // already and the folders that could not be read.
    void AddPaths(const QStringList& paths);
    // The same, once the window's event loop runs; relative paths are taken from the
    // current folder.
    void AddPathsAtStart(const QStringList& paths);
    // Where Modify keeps its journal for Undo.
    const QString& journalPath() const { return journalPath_; }
    void SetJournalPath(const QString& path) { journalPath_ = path; }
    // How long Modify, Undo and Add run before they show their progress.
    void SetProgressDelay(std::chrono::milliseconds delay) { progressDelay_ = delay; }

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
    QPushButton* m_btnExit = nullptr;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    bool OnInitDialog() override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // What the edits showed when empty as Play saved their texts: "无" for a file without a tag.
    QString savedPlaceholder_;
    QString journalPath_;
    std::chrono::milliseconds progressDelay_;
};
