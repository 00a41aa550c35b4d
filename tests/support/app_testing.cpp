#include "tests/support/app_testing.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QMenu>
#include <QProgressDialog>

#include "tag/cp936.h"
#include "tag/tag_file.h"

namespace sonatag::test {

int TestDlg::MessageBox(const QString& text, const QString& caption, unsigned int type) {
    const unsigned int icon = type & 0xF0;
    const char* kind = (type & MB_YESNO) != 0       ? "question"
                       : icon == MB_ICONERROR       ? "error"
                       : icon == MB_ICONINFORMATION ? "information"
                                                    : "warning";
    boxes.append(QStringLiteral("%1 %2 %3").arg(caption, QString::fromLatin1(kind), text));
    listCountAtBox.push_back(m_listFiles->count());
    for (const QProgressDialog* progress : findChildren<QProgressDialog*>()) boxesOverProgress += progress->isVisible();
    return (type & MB_YESNO) ? answer : IDOK;
}

int TestDlg::TrackPopupMenu(const MenuTemplate& menu, QPoint point) {
    menuPoints.push_back(point);
    menuShown.clear();
    const std::unique_ptr<QMenu> popup = PopupMenu(menu);
    for (const QAction* action : popup->actions()) {
        if (action->isSeparator()) continue;
        menuShown.append(action->text() + (action->isChecked() ? QStringLiteral(" (ticked)") : QString()) +
                         (action->isEnabled() ? QString() : QStringLiteral(" (greyed)")));
    }
    return 0;
}

UiTest::UiTest() {
    dlg.journalPath_ = QString::fromStdString(dir.file("state/journal"));
    dlg.show();
    dlg.activateWindow();  // for the keyboard's shortcuts and focus
    EXPECT_TRUE(QTest::qWaitForWindowActive(&dlg));
}

QString UiTest::Mp3(const std::string& name, const QStringList& tag) {
    MakeMp3(dir.file(name));
    const auto field = [&](int i) { return Utf8ToCp936(tag.at(i).toStdString()).bytes; };
    if (!tag.isEmpty()) WriteTagFields(dir.file(name), field(0), field(1), field(2));
    return QString::fromStdString(dir.file(name));
}

QStringList UiTest::TagOf(const QString& path) {
    const TagFields fields = ReadTagFields(path.toStdString()).fields;
    QStringList tag;
    for (const std::string* field : {&fields.title, &fields.artist, &fields.album})
        tag.append(QString::fromStdString(Cp936ToUtf8(*field)));
    return tag;
}

void UiTest::Click(const char* objectName) {
    auto* button = dlg.findChild<QAbstractButton*>(QString::fromLatin1(objectName));
    ASSERT_NE(button, nullptr) << objectName;
    QTest::mouseClick(button, Qt::LeftButton);
}

void UiTest::ClickItem(int row, Qt::KeyboardModifiers modifiers) {
    CListBox* list = dlg.m_listFiles;
    list->scrollToItem(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, list->visualItemRect(list->item(row)).center());
}

QString UiTest::Panel() const {
    const std::pair<const char*, const QWidget*> controls[] = {{"box", dlg.m_checkUseFileName},
                                                               {"title", dlg.m_editTitle},
                                                               {"artist", dlg.m_editArtist},
                                                               {"album", dlg.m_editAlbum},
                                                               {"modify", dlg.GetDlgItem(IDOK)}};
    QString enabled;
    for (const auto& [name, control] : controls)
        if (control->isEnabled()) enabled += u' ' + QString::fromLatin1(name);
    return QStringLiteral("%1 [%2] (%3) on:%4%5")
        .arg(Caption(IDC_INFO_GROUP), EditTexts().join(u'|'), dlg.m_editArtist->placeholderText(), enabled,
             dlg.m_checkUseFileName->isChecked() ? QStringLiteral(", ticked") : QString());
}

QStringList UiTest::Items() const {
    QStringList items;
    for (int row = 0; row < dlg.m_listFiles->count(); ++row) items.append(dlg.m_listFiles->item(row)->text());
    return items;
}

}  // namespace sonatag::test
