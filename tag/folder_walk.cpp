#include "tag/folder_walk.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

namespace sonatag {

namespace {

enum class EntryKind { Mp3File, Folder, Other };

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view TakeRun(std::string_view& text) {
    const bool digits = IsDigit(text.front());
    std::size_t length = 1;
    while (length < text.size() && IsDigit(text[length]) == digits) ++length;
    const std::string_view run = text.substr(0, length);
    text.remove_prefix(length);
    return run;
}

// Compares two runs of digits by the numbers they write: negative, 0 or positive.
int CompareNumbers(std::string_view a, std::string_view b) {
    const std::string_view valueA = a.substr(std::min(a.find_first_not_of('0'), a.size()));
    const std::string_view valueB = b.substr(std::min(b.find_first_not_of('0'), b.size()));
    if (valueA.size() != valueB.size()) return valueA.size() < valueB.size() ? -1 : 1;
    return valueA.compare(valueB);
}

int Collate(std::string_view a, std::string_view b) {
    if (a == b) return 0;
    return std::strcoll(std::string(a).c_str(), std::string(b).c_str());
}

EntryKind KindOfTarget(int folderFd, const char* name, int flags) {
    struct stat status {};
    if (::fstatat(folderFd, name, &status, flags) != 0) return EntryKind::Other;
    if (S_ISDIR(status.st_mode)) return flags == 0 ? EntryKind::Other : EntryKind::Folder;
    if (S_ISREG(status.st_mode)) return HasMp3Extension(name) ? EntryKind::Mp3File : EntryKind::Other;
    if (S_ISLNK(status.st_mode)) return KindOfTarget(folderFd, name, 0);
    return EntryKind::Other;
}

// A link counts by what it leads to, except that a link to a folder is never a folder.
EntryKind KindOf(int folderFd, const dirent& entry) {
    switch (entry.d_type) {
        case DT_REG:
            return HasMp3Extension(entry.d_name) ? EntryKind::Mp3File : EntryKind::Other;
        case DT_DIR:
            return EntryKind::Folder;
        case DT_LNK:
            return KindOfTarget(folderFd, entry.d_name, 0);
        case DT_UNKNOWN:
            return KindOfTarget(folderFd, entry.d_name, AT_SYMLINK_NOFOLLOW);
        default:
            return EntryKind::Other;
    }
}

struct FolderEntries {
    std::vector<std::string> files;
    std::vector<std::string> folders;
};

// The visible MP3 files and sub-folders of folder; the errno when it cannot be read.
int ReadEntries(const std::string& folder, FolderEntries& entries) {
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir) return errno;
    errno = 0;
    while (const dirent* entry = ::readdir(dir.get())) {
        if (entry->d_name[0] == '.') continue;
        switch (KindOf(::dirfd(dir.get()), *entry)) {
            case EntryKind::Mp3File:
                entries.files.emplace_back(entry->d_name);
                break;
            case EntryKind::Folder:
                entries.folders.emplace_back(entry->d_name);
                break;
            case EntryKind::Other:
                break;
        }
        errno = 0;
    }
    return errno;
}

}  // namespace

bool HasMp3Extension(std::string_view name) {
    constexpr std::string_view kExtension = ".mp3";
    if (name.size() < kExtension.size()) return false;
    const std::string_view tail = name.substr(name.size() - kExtension.size());
    return std::equal(tail.begin(), tail.end(), kExtension.begin(),
                      [](char c, char lower) { return (c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c) == lower; });
}

bool IsFolder(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

void WalkFolder(const std::string& folder, const NameSorter& sortNames, WalkVisitor& visitor) {
    FolderEntries entries;
    if (const int error = ReadEntries(folder, entries); error != 0) {
        visitor.OnUnreadableFolder(folder, error);
        return;
    }
    sortNames(entries.files);
    sortNames(entries.folders);
    const std::string prefix = folder.ends_with('/') ? folder : folder + '/';
    for (const std::string& name : entries.files) {
        if (!visitor.KeepGoing()) return;
        visitor.OnFile(prefix + name);
    }
    for (const std::string& name : entries.folders) {
        if (!visitor.KeepGoing()) return;
        WalkFolder(prefix + name, sortNames, visitor);
    }
}

bool NaturalLess(std::string_view a, std::string_view b) {
    std::string_view restA = a, restB = b;
    int leadingZeros = 0;  // the first difference in zero padding, should all else be equal
    while (!restA.empty() && !restB.empty()) {
        const std::string_view runA = TakeRun(restA), runB = TakeRun(restB);
        const bool numbers = IsDigit(runA.front()) && IsDigit(runB.front());
        const int order = numbers ? CompareNumbers(runA, runB) : Collate(runA, runB);
        if (order != 0) return order < 0;
        if (numbers && leadingZeros == 0 && runA.size() != runB.size())
            leadingZeros = runA.size() < runB.size() ? -1 : 1;
    }
    if (restA.empty() != restB.empty()) return restA.empty();
    if (leadingZeros != 0) return leadingZeros < 0;
    return a < b;
}

void SortNaturally(std::vector<std::string>& names) {
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) { return NaturalLess(a, b); });
}

}  // namespace sonatag
