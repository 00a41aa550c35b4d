// The commands of the main window over a corpus of real MP3 files, driven offscreen as a
// user would drive them: Add of 20,000 files chosen at once, a selection change in a list of
// 20,000, Select all and Modify of 10,000 files with its journal, Undo of that Modify, Remove of
// 10,000 of 20,000 items, and the walk and add of a dropped folder of 20,000 files in 80
// sub-folders. Modify and Undo are measured against bare WriteTagFields calls over the same files
// in the same run.

#include <benchmark/benchmark.h>

#include <QAbstractButton>
#include <QApplication>
#include <QItemSelection>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest/QTest>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "app/sonatag_dlg.h"
#include "bench/bench_corpus.h"
#include "platform/list_box.h"
#include "res/resource.h"
#include "tag/cp936.h"
#include "tag/tag_file.h"

namespace sonatag::bench {
namespace {

constexpr int kListFiles = 20'000;
constexpr int kModifyFiles = 10'000;

std::unique_ptr<Corpus> corpus;

// The main window with the user's answers built in: Yes to every question, the corpus from
// the file dialog. Any other box (an error) is counted.
class BenchDlg : public CSonatagDlg {
public:
    int MessageBox(const QString&, const QString& caption, unsigned int type) override {
        if (caption == QStringLiteral("错误")) ++errors;
        return (type & MB_YESNO) ? IDYES : IDOK;
    }
    QStringList ChooseFiles() override { return chosen; }

    using CSonatagDlg::journalPath_;
    using CSonatagDlg::m_editArtist;
    using CSonatagDlg::m_listFiles;

    QStringList chosen;
    int errors = 0;
};

std::unique_ptr<BenchDlg> dlg;

QStringList Paths(const std::vector<std::string>& paths) {
    QStringList list;
    list.reserve(static_cast<qsizetype>(paths.size()));
    for (const std::string& path : paths) list.append(QString::fromStdString(path));
    return list;
}

void Click(const char* objectName) {
    QTest::mouseClick(dlg->findChild<QAbstractButton*>(QString::fromLatin1(objectName)), Qt::LeftButton);
}

// Lets the window lay out and paint what the command changed, as it would before the user
// sees the result.
void Settle() {
    QApplication::processEvents();
}

void Fill(const QStringList& paths) {
    dlg->m_listFiles->clear();
    dlg->m_listFiles->addItems(paths);
    Settle();
}

void ReportErrors(benchmark::State& state) {
    if (dlg->errors > 0) state.SkipWithError("the window reported file errors");
}

void AddChosenFiles(benchmark::State& state) {
    dlg->chosen = Paths(corpus->paths());
    for (auto _ : state) {
        state.PauseTiming();
        Fill({});
        state.ResumeTiming();
        Click("IDC_ADD");
        Settle();
    }
    if (dlg->m_listFiles->count() != kListFiles) state.SkipWithError("not every file was added");
    ReportErrors(state);
}

// The corpus as a tree of 80 album folders of 250 files each (hard links), for the walk.
class AlbumTree {
public:
    AlbumTree() : root_(std::filesystem::path(corpus->paths().front()).parent_path().parent_path() / "tree") {
        constexpr int kFilesPerAlbum = 250;
        const std::vector<std::string>& files = corpus->paths();
        for (std::size_t i = 0; i < files.size(); ++i) {
            const std::filesystem::path album = root_ / ("专辑 " + std::to_string(i / kFilesPerAlbum + 1));
            if (i % kFilesPerAlbum == 0) std::filesystem::create_directories(album);
            std::filesystem::create_hard_link(files[i], album / std::filesystem::path(files[i]).filename());
        }
    }
    QString root() const { return QString::fromStdString(root_.string()); }

private:
    std::filesystem::path root_;
};

std::unique_ptr<AlbumTree> tree;

void WalkAndAddTree(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        Fill({});
        state.ResumeTiming();
        dlg->AddPaths({tree->root()});
        Settle();
    }
    if (dlg->m_listFiles->count() != kListFiles) state.SkipWithError("not every file was added");
    ReportErrors(state);
}

void SelectionChange(benchmark::State& state) {
    Fill(Paths(corpus->paths()));
    CListBox* list = dlg->m_listFiles;
    int row = 0;
    for (auto _ : state) {
        row = row == 1 ? 2 : 1;  // a file with a block and one without, in turns
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier,
                          list->visualItemRect(list->item(row)).center());
        Settle();
    }
    ReportErrors(state);
}

// A file selected by a click, as a user would, so that the panel shows its texts, then a new
// artist typed over them; the copies as they were before any Modify.
void PrepareModify() {
    corpus->RestoreCopies();
    CListBox* list = dlg->m_listFiles;
    list->clearSelection();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, list->visualItemRect(list->item(0)).center());
    dlg->m_editArtist->setText(QStringLiteral("新的艺术家"));
    Settle();
}

void ClickSelectAllAndModify() {
    Click("IDC_SELECT_ALL");
    Click("IDOK");
    Settle();
}

// A Modify that wrote nothing would be timed as a fast one.
bool LastCopyHasNewArtist() {
    const TagReadResult read = ReadTagFields(corpus->Copies(kModifyFiles).back());
    return read.outcome == ReadOutcome::Found && read.fields.artist == Utf8ToCp936("新的艺术家").bytes;
}

void SelectAllAndModify(benchmark::State& state) {
    Fill(Paths(corpus->Copies(kModifyFiles)));
    for (auto _ : state) {
        state.PauseTiming();
        PrepareModify();
        state.ResumeTiming();
        ClickSelectAllAndModify();
    }
    if (!LastCopyHasNewArtist()) state.SkipWithError("Modify did not write the files");
    corpus->RestoreCopies();
    ReportErrors(state);
}

// Undo of a Select all + Modify of 10,000 files, from its journal.
void UndoModify(benchmark::State& state) {
    Fill(Paths(corpus->Copies(kModifyFiles)));
    bool modified = true;
    for (auto _ : state) {
        state.PauseTiming();
        PrepareModify();
        ClickSelectAllAndModify();
        modified = modified && LastCopyHasNewArtist();
        state.ResumeTiming();
        dlg->OnCmdMsg(ID_LIST_UNDO, BN_CLICKED);
        Settle();
    }
    if (!modified || LastCopyHasNewArtist()) state.SkipWithError("Undo did not restore the files");
    corpus->RestoreCopies();
    ReportErrors(state);
}

// What Modify cannot do without: one WriteTagFields call per file.
void WriteTagFieldsBaseline(benchmark::State& state) {
    const std::vector<std::string>& copies = corpus->Copies(kModifyFiles);
    const std::string title = Utf8ToCp936("新的标题").bytes, artist = Utf8ToCp936("新的艺术家").bytes;
    for (auto _ : state) {
        state.PauseTiming();
        corpus->RestoreCopies();
        state.ResumeTiming();
        for (const std::string& path : copies) benchmark::DoNotOptimize(WriteTagFields(path, title, artist, ""));
    }
    corpus->RestoreCopies();
}

// Every other item, the worst case for a list that deletes ranges of items.
void SelectEveryOtherItem(CListBox& list) {
    QItemSelection selection;
    for (int row = 0; row < list.count(); row += 2)
        selection.select(list.model()->index(row, 0), list.model()->index(row, 0));
    list.selectionModel()->select(selection, QItemSelectionModel::Select);
}

void RemoveHalf(benchmark::State& state) {
    const QStringList paths = Paths(corpus->paths());
    for (auto _ : state) {
        state.PauseTiming();
        Fill(paths);
        SelectEveryOtherItem(*dlg->m_listFiles);
        state.ResumeTiming();
        Click("IDC_REMOVE");
        Settle();
    }
    if (dlg->m_listFiles->count() != kListFiles / 2) state.SkipWithError("not every selected item was removed");
}

// For comparison: the same items taken out of the list one by one, the highest row first.
void RemoveHalfOneByOne(benchmark::State& state) {
    const QStringList paths = Paths(corpus->paths());
    CListBox* list = dlg->m_listFiles;
    for (auto _ : state) {
        state.PauseTiming();
        Fill(paths);
        SelectEveryOtherItem(*list);
        state.ResumeTiming();
        for (int row = list->count() - 1; row >= 0; --row) {
            if (list->item(row)->isSelected()) delete list->takeItem(row);
        }
        Settle();
    }
}

void PrintTime(const MedianReporter& reporter, const char* label, const std::string& name, double goalMs) {
    const double ms = reporter.RealMedian(name);
    if (ms <= 0) return;
    if (goalMs > 0)
        std::printf("  %-34s %9.1f ms  (goal under %.0f ms)\n", label, ms, goalMs);
    else
        std::printf("  %-34s %9.1f ms\n", label, ms);
}

void PrintGoals(const MedianReporter& reporter) {
    std::printf("\nMedians of this run against the goals:\n");
    PrintTime(reporter, "Add of 20,000 chosen files", "AddChosenFiles", 1000);
    PrintTime(reporter, "Walk + add of a tree of 20,000 files", "WalkAndAddTree", 1000);
    PrintTime(reporter, "a selection change", "SelectionChange", 5);
    PrintTime(reporter, "Remove of 10,000 of 20,000", "RemoveHalf", 500);
    PrintTime(reporter, "  (one by one, for comparison)", "RemoveHalfOneByOne", 0);
    const double modify = reporter.RealMedian("SelectAllAndModify");
    const double baseline = reporter.RealMedian("WriteTagFieldsBaseline");
    if (modify > 0 && baseline > 0)
        std::printf("  %-34s %9.1f ms  %.2fx of %.1f ms of WriteTagFields (goal 2x)\n", "Select all + Modify of 10,000",
                    modify, modify / baseline, baseline);
    const double undo = reporter.RealMedian("UndoModify");
    if (undo > 0 && baseline > 0)
        std::printf("  %-34s %9.1f ms  %.2fx of WriteTagFields\n", "Undo of that Modify", undo, undo / baseline);
}

}  // namespace
}  // namespace sonatag::bench

using namespace sonatag::bench;

BENCHMARK(AddChosenFiles)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(WalkAndAddTree)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(SelectionChange)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(WriteTagFieldsBaseline)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(SelectAllAndModify)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(UndoModify)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(RemoveHalf)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(RemoveHalfOneByOne)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    corpus = std::make_unique<Corpus>(kListFiles);
    tree = std::make_unique<AlbumTree>();
    dlg = std::make_unique<BenchDlg>();
    const QTemporaryDir state;
    dlg->journalPath_ = state.filePath(QStringLiteral("sonatag/journal"));
    dlg->show();

    MedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintGoals(reporter);
    dlg.reset();
    tree.reset();
    corpus.reset();
    benchmark::Shutdown();
    return 0;
}
