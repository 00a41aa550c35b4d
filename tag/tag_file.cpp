#include "tag/tag_file.h"

#include <cerrno>
#include <cstddef>
#include <cstring>

#include "tag/field_rules.h"
#include "tag/id3v2_header.h"
#include "tag/id3v2_read.h"
#include "tag/locked_file.h"
#include "tag/tag_write.h"

namespace sonatag {
namespace {

// The path for a message: a NUL inside it would end the message there.
std::string Printable(std::string path) {
    for (std::size_t at = path.find('\0'); at != std::string::npos; at = path.find('\0', at + 2))
        path.replace(at, 1, "\\0");
    return path;
}

// The size of the ID3v2 tag the file begins with, 0 where there is none.
std::size_t HeadTagSize(const std::string& path, const LockedFile& file) {
    char head[kId3v2HeaderSize];
    if (file.length < static_cast<off_t>(sizeof head)) return 0;
    if (const int error = ReadBytesAt(file.fd.get(), head, sizeof head, 0)) Fail(path, error, "cannot read");
    return Id3v2TagSize(std::string_view(head, sizeof head));
}

}  // namespace

FileError::FileError(std::string path, int error, std::string reason)
    : std::runtime_error(Printable(path) + ": " + reason),
      path_(std::move(path)),
      error_(error),
      reason_(std::move(reason)) {}

Tail ReadTail(const std::string& path, const LockedFile& file, std::optional<std::size_t> headTagSize) {
    Tail tail{ReadLastBlock(path, file), false};
    if (!HasTagIdentifier(tail.bytes)) return tail;
    // Only a file that begins with a tag reaching into its last 128 bytes needs the look.
    const std::size_t headSize = headTagSize ? *headTagSize : HeadTagSize(path, file);
    tail.isBlock = headSize <= static_cast<std::size_t>(file.length - kBlockSize);
    return tail;
}

std::optional<LockedFile> OpenForWriting(const std::string& path) {
    const off_t length = CheckRegularFile(path);
    FileDescriptor fd = OpenExisting(path, Access::Write);
    if (!fd.valid()) {
        if (length < kBlockSize) return std::nullopt;
        Fail(path, errno, "cannot open for writing");
    }
    return Lock(path, std::move(fd), Access::Write);
}

Id3v1Tag UpdatedBlock(const Tail& tail, const TagUpdate& update) {
    Id3v1Tag block = tail.isBlock ? tail.bytes : BuildTagBlock({}, {}, {});
    if (update.title) CopyFieldBytes(block.title, *update.title, kFieldSize);
    if (update.artist) CopyFieldBytes(block.artist, *update.artist, kFieldSize);
    if (update.album) CopyFieldBytes(block.album, *update.album, kFieldSize);
    return block;
}

Replaced ReplacedBy(const LockedFile& file, const Tail& tail) {
    if (!tail.isBlock) return {{}, file.length};
    return {{{file.length - kBlockSize, BytesOf(tail.bytes)}}, std::nullopt};
}

void WriteTagBlock(const std::string& path, const LockedFile& file, const Tail& tail, const Id3v1Tag& block) {
    const off_t blockStart = tail.isBlock ? file.length - kBlockSize : file.length;
    if (const int error = WriteBlockAt(file, block, blockStart))
        FailWrite(path, file, error, "cannot write", ReplacedBy(file, tail));
}

TagReadResult ReadTagFields(const std::string& path) {
    const LockedFile file = OpenLocked(path, Access::Read);
    if (file.length < kBlockSize) return {ReadOutcome::TooShort, {}};
    const Tail tail = ReadTail(path, file);
    return tail.isBlock ? ParseTagBlock(tail.bytes) : TagReadResult{ReadOutcome::NoTag, {}};
}

WriteOutcome WriteTagFields(const std::string& path, std::string_view title, std::string_view artist,
                            std::string_view album) {
    return UpdateTagFields(path, {std::string(title), std::string(artist), std::string(album)});
}

WriteOutcome UpdateTagFields(const std::string& path, const TagUpdate& update, bool* playersShowOther) {
    std::optional<LockedFile> writable = OpenForWriting(path);
    if (!writable || writable->length < kBlockSize) return WriteOutcome::TooShort;
    LockedFile& file = *writable;

    // The choice between overwriting and appending is made here, under the lock that the
    // write holds, so a file that changed since an earlier look is never damaged.
    std::size_t headSize = 0;
    const std::string head = playersShowOther != nullptr ? ReadHeadTagIfReadable(path, file, headSize) : std::string();
    const Tail tail = playersShowOther != nullptr ? ReadTail(path, file, headSize) : ReadTail(path, file);
    const Id3v1Tag block = UpdatedBlock(tail, update);
    WriteTagBlock(path, file, tail, block);
    CloseWritten(path, file, ReplacedBy(file, tail));
    if (playersShowOther != nullptr) *playersShowOther = PlayersShowOtherTexts(head, block);
    return WriteOutcome::Written;
}

}  // namespace sonatag
