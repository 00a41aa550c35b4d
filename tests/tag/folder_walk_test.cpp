#include "tag/folder_walk.h"

#include <unistd.h>

#include "tests/support/id3v2_bytes.h"
#include "tests/support/test_files.h"

namespace sonatag {
namespace {

namespace fs = std::filesystem;

// Records what the walk finds, relative to the walked folder; "!" marks an unreadable folder.
struct Recorder : WalkVisitor {
    void OnFile(const std::string& path) override { found.push_back(path.substr(root.size() + 1)); }
    void OnUnreadableFolder(const std::string& path, int) override { found.push_back("!" + path); }

    std::string root;
    std::vector<std::string> found;
};

// Makes the entries under root, files or, for "name->target", symbolic links.
void MakeTree(const fs::path& root, const std::vector<std::string>& entries) {
    for (const std::string& entry : entries) {
        const std::size_t arrow = entry.find("->");
        if (arrow != std::string::npos) {
            fs::create_symlink(entry.substr(arrow + 2), root / entry.substr(0, arrow));
        } else {
            fs::create_directories((root / entry).parent_path());
            test::WriteBytes((root / entry).string(), "x");
        }
    }
}

TEST(FolderWalkTest, TakesMp3FilesInNaturalOrderFilesFirstSkippingHiddenAndLinkedFolders) {
    struct Case {
        const char* what;
        std::vector<std::string> entries, expected;
    };
    const Case cases[] = {
        {"numbers as numbers, zero padding after",
         {"10.mp3", "2.mp3", "1.mp3", "02.mp3", "a10b.mp3", "a9b.mp3"},
         {"1.mp3", "2.mp3", "02.mp3", "10.mp3", "a9b.mp3", "a10b.mp3"}},
        {"any letter case of .mp3, nothing else",
         {"a.MP3", "b.Mp3", "c.mp3", "d.mp3.txt", "e.mp", "mp3", "f.wav", "g.mP3"},
         {"a.MP3", "b.Mp3", "c.mp3", "g.mP3"}},
        {"files before sub-folders, depth first",
         {"b/2.mp3", "b/1.mp3", "a/x/1.mp3", "a/1.mp3", "z.mp3", "1 album.mp3"},
         {"1 album.mp3", "z.mp3", "a/1.mp3", "a/x/1.mp3", "b/1.mp3", "b/2.mp3"}},
        {"hidden files and folders skipped",
         {".hidden.mp3", ".trash/a.mp3", "a/.b.mp3", "a/c.mp3", "d.mp3"},
         {"d.mp3", "a/c.mp3"}},
        {"links: to files taken, to folders and nowhere not followed, loops harmless",
         {"a/1.mp3", "a/up->..", "a/self->.", "l.mp3->a/1.mp3", "dir.mp3->a", "gone.mp3->nowhere.mp3"},
         {"l.mp3", "a/1.mp3"}},
    };
    for (const auto& [what, entries, expected] : cases) {
        test::TempDir dir;
        MakeTree(dir.path(), entries);
        Recorder recorder;
        recorder.root = dir.path().string();
        WalkFolder(dir.path().string(), SortNaturally, recorder);
        EXPECT_EQ(recorder.found, expected) << what;
    }
}

// Root may read any folder, so the walk runs in a child that has given root up.
TEST(FolderWalkTest, PassesOverAnUnreadableFolderAndGoesOn) {
    test::TempDir dir;
    MakeTree(dir.path(), {"a.mp3", "b/1.mp3", "c/1.mp3"});
    fs::permissions(dir.path(), fs::perms(0755));
    fs::permissions(dir.path() / "b", fs::perms::none);
    Recorder recorder;
    recorder.root = dir.path().string();
    const std::string found = test::RunInChild([&] {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) return std::string("cannot give root up");
        WalkFolder(recorder.root, SortNaturally, recorder);
        std::string joined;
        for (const std::string& entry : recorder.found) joined += entry + ";";
        return joined;
    });
    EXPECT_EQ(found, "a.mp3;!" + recorder.root + "/b;c/1.mp3;");
}

}  // namespace
}  // namespace sonatag
