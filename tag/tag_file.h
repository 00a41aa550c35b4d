#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "tag/tag_block.h"

namespace sonatag {

// A failure of the file system while reading or writing a tag. what() is the path
// followed by the reason.
class FileError : public std::runtime_error {
public:
    FileError(std::string path, int error, std::string reason);

    const std::string& path() const noexcept { return path_; }
    int error() const noexcept { return error_; }
    // What went wrong, in words, with the system's text for error where it has one.
    const std::string& reason() const noexcept { return reason_; }

private:
    std::string path_;
    int error_;
    std::string reason_;
};

// Fields to write; a field left empty keeps the value the file holds now (the empty text
// where the file has no block). The present value is read under the same lock as the write.
struct TagUpdate {
    std::optional<std::string> title;
    std::optional<std::string> artist;
    std::optional<std::string> album;
};

// Texts for the title, artist and album frames of the ID3v2 tag at the head of a file: UTF-8,
// in full. A text not given keeps its frame, or takes the ID3v1 block's text where there is no
// frame; an empty text removes the frame.
struct MirrorTexts {
    std::optional<std::string> title;
    std::optional<std::string> artist;
    std::optional<std::string> album;
};

// path is in the file system's encoding; texts are code page 936 bytes.
// All three throw FileError on a file-system failure.
TagReadResult ReadTagFields(const std::string& path);
WriteOutcome WriteTagFields(const std::string& path, std::string_view title, std::string_view artist,
                            std::string_view album);
// playersShowOther, where given, tells whether the file's ID3v2 tag, which players show first,
// holds a title, artist or album other than those written.
WriteOutcome UpdateTagFields(const std::string& path, const TagUpdate& update, bool* playersShowOther = nullptr);

}  // namespace sonatag
