#include "tests/ui/ui_testing.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QLineEdit>
#include <QtTest/QTest>
#include <ostream>

#include "platform/list_box.h"
#include "tag/cp936.h"
#include "tag/tag_file.h"
#include "tests/app/widget_testing.h"

void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace sonatag::test {

int TestDlg::MessageBox(const QString& text, const QString& caption, unsigned int type) {
    boxes.push_back({text, caption, type, m_listFiles->count()});
    return (type & MB_YESNO) ? answer : IDOK;
}

QStringList TestDlg::ChooseFiles() { return chosen; }

int TestDlg::TrackPopupMenu(const MenuTemplate& menu, QPoint point) {
    menuPoints.push_back(point);
    return realMenus ? CSonatagDlg::TrackPopupMenu(menu, point) : 0;
}

void PrintTo(const Tag& tag, std::ostream* out) {
    *out << '{' << tag.title << " | " << tag.artist << " | " << tag.album << '}';
}

HeldLock::HeldLock(const QString& path) : fd_(::open(path.toUtf8().constData(), O_RDONLY | O_CLOEXEC)) {
    EXPECT_EQ(::flock(fd_, LOCK_EX | LOCK_NB), 0) << path.toStdString();
}

HeldLock::~HeldLock() { ::close(fd_); }

UiTest::UiTest() {
    dlg.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&dlg));
}

QString UiTest::Mp3(const std::string& name) {
    const std::string path = dir.file(name);
    MakeMp3(path);
    return QString::fromStdString(path);
}

QString UiTest::Mp3WithTag(const std::string& name, const Tag& tag) {
    const QString path = Mp3(name);
    WriteTagFields(path.toStdString(), Utf8ToCp936(tag.title).bytes, Utf8ToCp936(tag.artist).bytes,
                   Utf8ToCp936(tag.album).bytes);
    return path;
}

QString UiTest::ShortFile(const std::string& name) {
    const std::string path = dir.file(name);
    WriteBytes(path, std::string(100, 'x'));
    return QString::fromStdString(path);
}

bool UiTest::HasTag(const QString& path) {
    return ReadTagFields(path.toStdString()).outcome == ReadOutcome::Found;
}

Tag UiTest::TagOf(const QString& path) {
    const TagFields fields = ReadTagFields(path.toStdString()).fields;
    return {Cp936ToUtf8(fields.title), Cp936ToUtf8(fields.artist), Cp936ToUtf8(fields.album)};
}

std::string UiTest::Bytes(const QString& path) { return ReadBytes(path.toStdString()); }

QAbstractButton* UiTest::Button(const char* objectName) {
    auto* button = dlg.findChild<QAbstractButton*>(QString::fromLatin1(objectName));
    EXPECT_NE(button, nullptr) << objectName;
    return button;
}

void UiTest::Click(const char* objectName) { QTest::mouseClick(Button(objectName), Qt::LeftButton); }

void UiTest::Add(const QStringList& paths) {
    dlg.chosen = paths;
    Click("IDC_ADD");
}

void UiTest::ClickItem(int row, Qt::KeyboardModifiers modifiers) {
    CListBox* list = dlg.m_listFiles;
    list->scrollToItem(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, list->visualItemRect(list->item(row)).center());
}

void UiTest::Type(const char* objectName, const QString& text) {
    auto* edit = dlg.findChild<QLineEdit*>(QString::fromLatin1(objectName));
    edit->setFocus();
    TypeText(edit, text);
}

QStringList UiTest::Items() const {
    QStringList items;
    for (int row = 0; row < dlg.m_listFiles->count(); ++row) items.append(dlg.m_listFiles->item(row)->text());
    return items;
}

std::vector<int> UiTest::Selected() const {
    std::vector<int> rows;
    for (int row = 0; row < dlg.m_listFiles->count(); ++row) {
        if (dlg.m_listFiles->item(row)->isSelected()) rows.push_back(row);
    }
    return rows;
}

QStringList UiTest::EditTexts() const {
    return {dlg.m_editTitle->text(), dlg.m_editArtist->text(), dlg.m_editAlbum->text()};
}

bool UiTest::Enabled(int id) const { return dlg.GetDlgItem(id)->isEnabled(); }

}  // namespace sonatag::test
