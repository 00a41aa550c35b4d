#pragma once

#include <optional>
#include <string>

#include "tag/locked_file.h"
#include "tag/tag_file.h"

// The steps of a tag write, shared by the single write and the batch.
namespace sonatag {

// The file opened and locked for writing; empty when it cannot be opened for writing but is
// too short to hold a block anyway. Throws FileError.
std::optional<LockedFile> OpenForWriting(const std::string& path);

// The block that a write of update leaves where old, a file's last 128 bytes, lies: an existing
// block with the fields given replaced and every other byte as it was; a new block where old is
// none.
Id3v1Tag UpdatedBlock(const Id3v1Tag& old, const TagUpdate& update);

// Writes block over old where old is a block, after it where not. A write that fails part way
// puts back what was there and throws FileError. The caller ends with CloseWritten.
void WriteTagBlock(const std::string& path, const LockedFile& file, const Id3v1Tag& old, const Id3v1Tag& block);

}  // namespace sonatag
