#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <string_view>

#include "tag/locked_file.h"

// A file rewritten with a new ID3v2 tag at its head, for a tag that does not fit where the old
// one was: the new file is written beside the file it replaces (beside the file a symbolic link
// leads to, so that the link stays a link), synced, given the old file's permissions, owner and
// extended attributes, and renamed over it. The original is never changed, so a crash leaves
// either the old file or the new one, and before the rename perhaps a hidden temporary file.
namespace sonatag {

struct RewritePlan {
    std::string_view head;  // the new tag
    off_t audioStart = 0;   // where the audio begins in the old file: after its old tag
    off_t audioEnd = 0;     // where it ends: before the ID3v1 block that tail replaces, if any
    std::string_view tail;  // written after the audio: the new ID3v1 block, or nothing
};

// Called with the temporary file's path once it is complete and synced, before it replaces the
// original.
using BeforeReplace = std::function<void(const std::string& temporaryPath)>;

// Throws FileError with the original left as it was; refuses a file with other hard links,
// which a new file would split from its other names.
void RewriteFile(const std::string& path, const LockedFile& file, const RewritePlan& plan,
                 const BeforeReplace& beforeReplace = {});

}  // namespace sonatag
