// Undo of the last Modify, and the progress of long commands with their cancel.

#include <QProgressDialog>

#include "tests/support/ui_testing.h"

namespace sonatag::test {

using namespace std::chrono_literals;

const QString kUndoQuestion = QStringLiteral("撤销修改 0x40034 此操作将恢复上次修改的 3 个文件的ID3信息，继续吗？");

class UndoTest : public UiTest {
protected:
    UndoTest() : files({Mp3("a.mp3", {"甲", "乙", "丙"}), Mp3("b.mp3"), Mp3("c.mp3", {"<b>x</b>", "", ""})}) {
        Add(files);
        before = Contents();
    }

    std::vector<std::string> Contents() const {
        std::vector<std::string> contents;
        for (const QString& file : files) contents.push_back(Bytes(file));
        return contents;
    }
    void ModifyAll() {
        ClickItem(0);
        Click("IDC_SELECT_ALL");
        dlg.m_editArtist->setText(QStringLiteral("新"));
        Click("IDOK");
        dlg.boxes.clear();
    }
    void Undo() {
        dlg.boxes.clear();
        dlg.OnCmdMsg(ID_LIST_UNDO, BN_CLICKED);
    }

    QStringList files;
    std::vector<std::string> before;
};

TEST_F(UndoTest, UndoRestoresTheLastModifyAfterAYesAndThenHasNothingLeft) {
    ModifyAll();
    dlg.answer = IDNO;
    Undo();
    EXPECT_NE(Contents(), before);
    dlg.answer = IDYES;
    Undo();
    EXPECT_EQ(dlg.boxes, QStringList({kUndoQuestion, QStringLiteral("撤销修改 0x40040 已恢复 3 个文件的ID3信息。")}));
    EXPECT_EQ(Contents(), before);
    Undo();
    EXPECT_TRUE(dlg.boxes.isEmpty());
}

TEST_F(UndoTest, UndoLeavesAndNamesFilesThatChangedOrCannotBeOpened) {
    ModifyAll();
    WriteBytes(files[1].toStdString(), Bytes(files[1]) + "changed");
    const std::string changed = Bytes(files[1]);
    std::filesystem::remove(files[2].toStdString());
    Undo();
    EXPECT_EQ(dlg.boxes.value(1),
              "撤销修改 0x40030 已恢复 1 个文件的ID3信息。\n以下 2 个文件在修改后已有变动或无法打开，未作恢复：\n" +
                  files[1] + '\n' + files[2]);
    EXPECT_EQ(Bytes(files[0]), before[0]);
    EXPECT_EQ(Bytes(files[1]), changed);
}

TEST_F(UndoTest, ModifyWritesNothingWhenItCannotKeepItsJournal) {
    WriteBytes(dir.file("state"), "a file where the journal's folder should be");
    ModifyAll();
    EXPECT_EQ(Contents(), before);
}

TEST_F(UndoTest, EachProgressSaysWhatItDoesAndIsGoneBeforeTheClosingBox) {
    struct LabelOnShow : QObject {
        QString label;
        bool eventFilter(QObject* object, QEvent* event) override {
            if (auto* progress = qobject_cast<QProgressDialog*>(object); progress && event->type() == QEvent::Show)
                label = progress->labelText();
            return false;
        }
    } shown;
    qApp->installEventFilter(&shown);
    dlg.SetProgressDelay(0ms);
    const struct {
        std::function<void()> command;
        QString label;
    } commands[] = {
        {[&] { ModifyAll(); }, "正在写入所选文件的 ID3 信息……"},
        {[&] { Undo(); }, "正在恢复上次修改的文件……"},
        {[&] { Add({Mp3("d.mp3")}); }, "正在添加文件……"},
        {[&] { dlg.AddPaths({QString::fromStdString(dir.path())}); }, "正在查找 MP3 文件，已找到 0 个……"},
    };
    for (const auto& [command, label] : commands) {
        command();
        EXPECT_EQ(shown.label, label);
    }
    qApp->removeEventFilter(&shown);
    EXPECT_EQ(dlg.boxesOverProgress, 0);
}

TEST_F(UndoTest, CancelStopsAfterTheCurrentFileAndUndoGoesTopDown) {
    struct CancelOnShow : QObject {  // cancels each progress dialog as soon as it shows
        bool eventFilter(QObject* object, QEvent* event) override {
            if (event->type() == QEvent::Show && qobject_cast<QProgressDialog*>(object) != nullptr)
                QMetaObject::invokeMethod(object, "cancel", Qt::QueuedConnection);
            return false;
        }
    } cancel;
    qApp->installEventFilter(&cancel);
    dlg.SetProgressDelay(0ms);
    ModifyAll();  // bottom up: c.mp3 only
    EXPECT_EQ(Contents(), (std::vector{before[0], before[1], Bytes(files[2])}));
    dlg.SetProgressDelay(1h);
    Click("IDOK");
    dlg.SetProgressDelay(0ms);
    Undo();  // top down: a.mp3 only
    qApp->removeEventFilter(&cancel);
    EXPECT_EQ(Bytes(files[0]), before[0]);
    EXPECT_NE(Bytes(files[2]), before[2]);
}

}  // namespace sonatag::test
