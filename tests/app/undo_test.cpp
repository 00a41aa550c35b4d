// Undo of the last Modify, and the progress of long commands with their cancel.

#include <QProgressDialog>

#include "tests/support/app_testing.h"

namespace sonatag::test {

using namespace std::chrono_literals;

const QString kUndoQuestion = QStringLiteral("撤销修改 question 此操作将恢复上次修改的 3 个文件的ID3信息，继续吗？");

// Each progress dialog as it shows: its label is kept, and it is cancelled at once when told to.
struct ProgressWatch : QObject {
    QString label;
    bool cancel = false;
    bool eventFilter(QObject* object, QEvent* event) override {
        auto* progress = qobject_cast<QProgressDialog*>(object);
        if (progress == nullptr || event->type() != QEvent::Show) return false;
        label = progress->labelText();
        if (cancel) QMetaObject::invokeMethod(progress, "cancel", Qt::QueuedConnection);
        return false;
    }
};

class UndoTest : public UiTest {
protected:
    UndoTest() : files({Mp3("a.mp3", {"甲", "乙", "丙"}), Mp3("b.mp3"), Mp3("c.mp3", {"<b>x</b>", "", ""})}) {
        Add(files);
        before = Contents();
        qApp->installEventFilter(&progress);
        dlg.progressDelay = 0ms;
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
    ProgressWatch progress;
};

// Each command's progress says what it does and is gone before the command's closing box.
TEST_F(UndoTest, UndoRestoresTheLastModifyAfterAYesAndThenHasNothingLeft) {
    ModifyAll();
    EXPECT_EQ(progress.label, "正在写入所选文件的 ID3 信息……");
    dlg.answer = IDNO;
    Undo();
    EXPECT_NE(Contents(), before);
    dlg.answer = IDYES;
    Undo();
    EXPECT_EQ(progress.label, "正在恢复上次修改的文件……");
    EXPECT_EQ(dlg.boxes,
              QStringList({kUndoQuestion, QStringLiteral("撤销修改 information 已恢复 3 个文件的ID3信息。")}));
    EXPECT_EQ(Contents(), before);
    EXPECT_EQ(EditTexts(), QStringList({"甲", "乙", "丙"}));  // read again, so that Modify cannot write "新" back
    Undo();
    EXPECT_TRUE(dlg.boxes.isEmpty());
    dlg.AddPaths({QString::fromStdString(dir.path())});
    EXPECT_EQ(progress.label, "正在查找 MP3 文件，已找到 0 个……");
    EXPECT_EQ(dlg.boxesOverProgress, 0);
}

TEST_F(UndoTest, UndoLeavesAndNamesFilesThatChangedOrCannotBeOpened) {
    ModifyAll();
    WriteBytes(files[1].toStdString(), Bytes(files[1]) + "changed");
    const std::string changed = Bytes(files[1]);
    std::filesystem::remove(files[2].toStdString());
    Undo();
    EXPECT_EQ(dlg.boxes.value(1),
              "撤销修改 warning 已恢复 1 个文件的ID3信息。\n以下 2 个文件在修改后已有变动或无法打开，未作恢复：\n" +
                  files[1] + '\n' + files[2]);
    EXPECT_EQ(Bytes(files[0]), before[0]);
    EXPECT_EQ(Bytes(files[1]), changed);
}

TEST_F(UndoTest, ModifyWritesNothingWhenItCannotKeepItsJournal) {
    WriteBytes(dir.file("state"), "a file where the journal's folder should be");
    ModifyAll();
    EXPECT_EQ(Contents(), before);
}

TEST_F(UndoTest, CancelStopsAfterTheCurrentFileAndUndoGoesTopDown) {
    progress.cancel = true;
    ModifyAll();  // bottom up: c.mp3 only
    EXPECT_EQ(Contents(), (std::vector{before[0], before[1], Bytes(files[2])}));
    dlg.progressDelay = 1h;
    Click("IDOK");
    dlg.progressDelay = 0ms;
    Undo();  // top down: a.mp3 only
    EXPECT_EQ(Bytes(files[0]), before[0]);
    EXPECT_NE(Bytes(files[1]), before[1]);
    progress.cancel = false;
    Undo();  // what the cancel did not reach
    EXPECT_EQ(Bytes(files[1]), before[1]);
}

}  // namespace sonatag::test
