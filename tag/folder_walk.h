#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace sonatag {

// Puts the names of one folder's entries in the order they are to be taken.
using NameSorter = std::function<void(std::vector<std::string>& names)>;

// What a walk finds, told as it finds it.
class WalkVisitor {
public:
    virtual ~WalkVisitor() = default;
    // An MP3 file: the folder's path joined to the file's name with '/'.
    virtual void OnFile(const std::string& path) = 0;
    // A folder that could not be read; error is the errno. Its entries are passed over.
    virtual void OnUnreadableFolder(const std::string& path, int error) = 0;
    // Asked before each entry; false ends the walk there.
    virtual bool KeepGoing() { return true; }
};

// True when name ends in ".mp3" in any letter case.
bool HasMp3Extension(std::string_view name);

// True when path names a folder, through symbolic links.
bool IsFolder(const std::string& path);

// Walks folder and every folder under it. Within a folder the MP3 files come first, then
// the sub-folders, each group in the order sortNames gives. Names beginning with '.' are
// skipped; a symbolic link is taken when it leads to a regular MP3 file and never followed
// into a folder, so a link loop cannot hold the walk. Only one folder's names are held at a
// time for each level of depth.
void WalkFolder(const std::string& folder, const NameSorter& sortNames, WalkVisitor& visitor);

// Natural order under the collation of the C library's current locale: runs of digits are
// compared as numbers ("2" before "10", then fewer leading zeros first), the text between
// them with strcoll; names that collate equal fall back to byte order.
bool NaturalLess(std::string_view a, std::string_view b);
void SortNaturally(std::vector<std::string>& names);

}  // namespace sonatag
