#pragma once

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QStringList>
#include <QtTest/QTest>
#include <chrono>
#include <string>
#include <vector>

#include "app/sonatag_dlg.h"
#include "platform/list_box.h"
#include "res/resource.h"
#include "tests/support/test_files.h"
#include "tests/support/widget_testing.h"

namespace sonatag::test {

// The main window with the user's side of its dialogs played by the test: message boxes are
// recorded and answered, the file dialog returns what the test chose, popup menus are
// recorded as they would show and never shown. The window's controls and handlers are the
// test's to reach.
class TestDlg : public CSonatagDlg {
public:
    int MessageBox(const QString& text, const QString& caption, unsigned int type) override;
    QStringList ChooseFiles() override { return chosen; }
    int TrackPopupMenu(const MenuTemplate& menu, QPoint point) override;
    std::chrono::milliseconds ProgressDelay() const override { return progressDelay; }

    using CSonatagDlg::journalPath_;
    using CSonatagDlg::m_checkUseFileName;
    using CSonatagDlg::m_editAlbum;
    using CSonatagDlg::m_editArtist;
    using CSonatagDlg::m_editTitle;
    using CSonatagDlg::m_listFiles;
    using CSonatagDlg::m_player;
    using CSonatagDlg::m_strSavedAlbum;
    using CSonatagDlg::m_strSavedArtist;
    using CSonatagDlg::m_strSavedTitle;
    using CSonatagDlg::OnContextMenu;

    // Each as its caption, its kind (question, error, warning or information) and its text:
    // "错误 error 文件 ...".
    QStringList boxes;
    std::vector<int> listCountAtBox;
    int boxesOverProgress = 0;  // boxes shown while a progress dialog was still on screen
    int answer = IDYES;         // to every yes-or-no question
    QStringList chosen;         // what the file dialog returns, empty for a cancel
    std::vector<QPoint> menuPoints;
    // The entries of the last menu as they would show: "text", "text (ticked)", "text (greyed)".
    QStringList menuShown;
    std::chrono::milliseconds progressDelay = std::chrono::milliseconds(500);
};

class UiTest : public ::testing::Test {
protected:
    UiTest();

    // Real MP3 files in the temporary folder; their full paths. A tag is title, artist, album.
    QString Mp3(const std::string& name, const QStringList& tag = {});

    // What the tag layer reads from a file: title, artist, album.
    static QStringList TagOf(const QString& path);
    static std::string Bytes(const QString& path) { return ReadBytes(path.toStdString()); }

    // The user's actions, on the widgets found by their object names.
    void Click(const char* objectName);
    void Add(const QStringList& paths) {
        dlg.chosen = paths;
        Click("IDC_ADD");
    }
    void ClickItem(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

    QStringList Items() const;
    QString Caption(int id) const { return dlg.GetDlgItemText(id); }
    QStringList EditTexts() const {
        return {dlg.m_editTitle->text(), dlg.m_editArtist->text(), dlg.m_editAlbum->text()};
    }
    bool Enabled(int id) const { return dlg.GetDlgItem(id)->isEnabled(); }
    // The panel at a glance: its caption, the edits' texts, what an empty edit shows, the
    // controls that are enabled and whether the box is ticked:
    // "文件信息 - a.mp3 [t|a|b] (无) on: box title artist album modify, ticked".
    QString Panel() const;

    TempDir dir;
    TestDlg dlg;
};

}  // namespace sonatag::test
