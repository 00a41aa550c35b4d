// Keyboard and screen readers: the controls' names and groups, the tab order, the focus ring
// and the shortcuts of the list's menu.

#include <QAccessible>
#include <QMenu>
#include <QPushButton>

#include "platform/dialog_builder.h"
#include "res/dialogs.h"
#include "tests/support/ui_testing.h"
#include "ui/id3v2_option.h"

namespace sonatag::test {

class KeyboardTest : public UiTest {
protected:
    KeyboardTest() {
        dlg.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&dlg));
    }
    ~KeyboardTest() override { ui::SetMirrorsId3v2(false); }
};

TEST_F(KeyboardTest, ScreenReadersFindEachControlByNameInItsGroupAndTabKeepsTheTemplateOrder) {
    const struct {
        QWidget* control;
        QString name;
        int group;
    } controls[] = {{dlg.m_editTitle, "标题", IDC_INFO_GROUP},
                    {dlg.m_editArtist, "艺术家", IDC_INFO_GROUP},
                    {dlg.m_editAlbum, "专辑", IDC_INFO_GROUP},
                    {dlg.m_listFiles, "文件列表", IDC_LIST_GROUP}};
    for (const auto& [control, name, group] : controls) {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(control);
        EXPECT_EQ(accessible->text(QAccessible::Name), name);
        EXPECT_EQ(accessible->parent()->object(), dlg.GetDlgItem(group)) << name.toStdString();
    }
    QStringList order;
    for (QWidget* at = dlg.GetDlgItem(IDOK); order.size() < 13; at = at->nextInFocusChain()) {
        if (at->focusPolicy() & Qt::TabFocus && at->objectName().startsWith(QStringLiteral("ID")))
            order.append(at->objectName());
    }
    EXPECT_EQ(order,
              QStringList({"IDOK", "IDCANCEL", "IDC_ADD", "IDC_TITLE", "IDC_ARTIST", "IDC_FILE_LIST", "IDC_CLEAR",
                           "IDC_REMOVE", "IDC_USE_FILE_NAME", "IDC_ALBUM", "IDC_SELECT_ALL", "IDC_ABOUT", "IDC_PLAY"}));
    // Reached with Tab, the flat image button is framed clearly.
    for (int press = 0; press < 20 && !dlg.m_btnAbout->hasFocus(); ++press)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    const QWidget* ring = dlg.findChild<QWidget*>(QStringLiteral("focusRing"));
    ASSERT_NE(ring, nullptr);
    EXPECT_TRUE(ring->isVisible());
    EXPECT_TRUE(ring->geometry().contains(dlg.m_btnAbout->geometry(), true));
}

TEST_F(KeyboardTest, TheCommandsAddedToTheMenuShowTheirShortcutsWhichWorkWhereCtrlZWorks) {
    const std::unique_ptr<QMenu> menu = CreatePopupMenu(kListMenu, &dlg);
    QStringList entries;
    for (const QAction* action : menu->actions())
        entries.append(action->isSeparator() ? "—" : action->text() + ' ' + action->shortcut().toString());
    EXPECT_EQ(entries, QStringList({"移除当前文件 ", "选中全部文件 ", "播放当前音乐 ", "—", "撤销上次修改 Ctrl+Z",
                                    "同时写入 ID3v2 标签 Ctrl+M", "修复 ID3v2 乱码 Ctrl+R"}));

    Add({Mp3("a.mp3")});
    ClickItem(0);
    Click("IDOK");
    dlg.answer = IDNO;
    const struct {
        QWidget* focus;
        QKeyCombination key;
        QString box;
    } presses[] = {
        {dlg.m_listFiles, Qt::CTRL | Qt::Key_Z, "撤销修改 0x40034 此操作将恢复上次修改的 1 个文件的ID3信息，继续吗？"},
        {dlg.m_editArtist, Qt::CTRL | Qt::Key_R, "修复 ID3v2 乱码 0x40040 所选文件的 ID3v2 标签中没有 GBK 乱码。"},
        {dlg.GetDlgItem(IDC_ADD), Qt::CTRL | Qt::Key_M, ""},
    };
    for (const auto& [focus, key, box] : presses) {
        dlg.boxes.clear();
        focus->setFocus();
        QTest::keyClick(focus, key.key(), key.keyboardModifiers());
        EXPECT_EQ(dlg.boxes.value(0), box);
    }
    EXPECT_TRUE(ui::MirrorsId3v2());
}

}  // namespace sonatag::test
