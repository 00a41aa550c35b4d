#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "tag/tag_block.h"

namespace sonatag {

// A failure of the file system while reading or writing a tag. what() names the
// file and gives the system's reason.
class FileError : public std::runtime_error {
public:
    FileError(std::string path, int error, std::string_view action);

    const std::string& path() const noexcept { return path_; }
    int error() const noexcept { return error_; }

private:
    std::string path_;
    int error_;
};

// path is in the file system's encoding; texts are code page 936 bytes.
// Both throw FileError on a file-system failure.
TagReadResult ReadTagFields(const std::string& path);
WriteOutcome WriteTagFields(const std::string& path, std::string_view title, std::string_view artist,
                            std::string_view album);

}  // namespace sonatag
