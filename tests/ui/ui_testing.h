#pragma once

#include <gtest/gtest.h>

#include <QPoint>
#include <QString>
#include <QStringList>
#include <string>
#include <vector>

#include "app/sonatag_dlg.h"
#include "tests/support/test_files.h"

class QAbstractButton;

void PrintTo(const QString& text, std::ostream* out);

namespace sonatag::test {

struct Box {
    QString text;
    QString caption;
    unsigned int type;
    int listCount;  // items in the list while the box was open
};

// The main window with the user's side of its dialogs played by the test: message boxes are
// recorded and answered, the file dialog returns what the test chose, popup menus are
// recorded unless realMenus is set.
class TestDlg : public CSonatagDlg {
public:
    int MessageBox(const QString& text, const QString& caption, unsigned int type) override;
    QStringList ChooseFiles() override;
    int TrackPopupMenu(const MenuTemplate& menu, QPoint point) override;

    std::vector<Box> boxes;
    int answer = IDYES;  // to every yes-or-no question
    QStringList chosen;  // what the file dialog returns, empty for a cancel
    std::vector<QPoint> menuPoints;
    bool realMenus = false;
};

// The three texts of a file's ID3v1 block, in UTF-8.
struct Tag {
    std::string title, artist, album;
    bool operator==(const Tag&) const = default;
};
void PrintTo(const Tag& tag, std::ostream* out);

// Holds an exclusive lock on a file, as another program working on it would: the tag layer
// cannot open it then, not even as root.
class HeldLock {
public:
    explicit HeldLock(const QString& path);
    ~HeldLock();
    HeldLock(const HeldLock&) = delete;
    HeldLock& operator=(const HeldLock&) = delete;

private:
    int fd_;
};

class UiTest : public ::testing::Test {
protected:
    UiTest();

    // Real MP3 files in the temporary folder; their full paths.
    QString Mp3(const std::string& name);
    QString Mp3WithTag(const std::string& name, const Tag& tag);
    QString ShortFile(const std::string& name);  // 100 bytes, too short for a block

    // What the tag layer reads from a file.
    static bool HasTag(const QString& path);
    static Tag TagOf(const QString& path);
    static std::string Bytes(const QString& path);

    // The user's actions, on the widgets found by their object names.
    void Click(const char* objectName);
    void Add(const QStringList& paths);
    void ClickItem(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void Type(const char* objectName, const QString& text);

    QAbstractButton* Button(const char* objectName);
    QStringList Items() const;
    std::vector<int> Selected() const;
    QString Caption(int id) const { return dlg.GetDlgItemText(id); }
    QStringList EditTexts() const;
    bool Enabled(int id) const;

    TempDir dir;
    TestDlg dlg;
};

}  // namespace sonatag::test
