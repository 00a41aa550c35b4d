#pragma once

#include <optional>
#include <string>

#include "tag/locked_file.h"
#include "tag/tag_file.h"

// The steps of reading and writing the ID3v1 block, shared by the single read and write, the
// batch and the ID3v2 mirror.
namespace sonatag {

// The last 128 bytes of a file, and whether they are its ID3v1 block: they begin with "TAG"
// and do not belong to an ID3v2 tag at the head of the file (a file that is little more than
// such a tag has no block, and a write appends one).
struct Tail {
    Id3v1Tag bytes{};
    bool isBlock = false;
};

// The file must be at least 128 bytes long. headTagSize: the size the ID3v2 tag at the head
// says it has (0 for none), where the caller read it already. Throws FileError.
Tail ReadTail(const std::string& path, const LockedFile& file, std::optional<std::size_t> headTagSize = {});

// The file opened and locked for writing; empty when it cannot be opened for writing but is
// too short to hold a block anyway. Throws FileError.
std::optional<LockedFile> OpenForWriting(const std::string& path);

// The block that a write of update leaves at the end of the file: the file's block with the
// fields given replaced and every other byte as it was, or a new block where it has none.
Id3v1Tag UpdatedBlock(const Tail& tail, const TagUpdate& update);

// What writing a block over tail replaces: the block it overwrites, or the length it grows from.
Replaced ReplacedBy(const LockedFile& file, const Tail& tail);

// Writes block over the file's block, or after its end where it has none. A write that fails
// part way puts back what was there and throws FileError. The caller ends with CloseWritten.
void WriteTagBlock(const std::string& path, const LockedFile& file, const Tail& tail, const Id3v1Tag& block);

}  // namespace sonatag
