#include "tag/journal.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

#include "tag/id3v2_header.h"
#include "tag/locked_file.h"

namespace sonatag {
namespace {

// Layout, all numbers little-endian:
//   header   "SONATAGJ" u32 version
//   entry    'E' u8 kind  u32 n, path[n]  i64 lengthBefore  u32 n, old[n]  u32 n, new[n]
//   outcome  'O' u32 entry  u8 outcome
constexpr char kMagic[] = "SONATAGJ";
constexpr std::size_t kMagicSize = sizeof kMagic - 1;
constexpr char kEntryRecord = 'E';
constexpr char kOutcomeRecord = 'O';
constexpr auto kLastOutcome = JournalOutcome::NotWritten;
// No file is longer; a length beyond it cannot come from a real write, and every sum of it
// with the sizes of an entry stays far within off_t.
constexpr std::int64_t kLargestFileLength = std::int64_t{1} << 62;

[[noreturn]] void FailJournal(const std::string& path, int error, const std::string& doing) {
    throw JournalError(path, error, doing + ": " + std::strerror(error));
}

template <typename Number>
void Put(std::string& out, Number value) {
    for (std::size_t byte = 0; byte < sizeof value; ++byte)
        out += static_cast<char>(static_cast<std::uint64_t>(value) >> (8 * byte));
}

void PutBytes(std::string& out, const std::string& bytes) {
    Put(out, static_cast<std::uint32_t>(bytes.size()));
    out += bytes;
}

// Reads the records of a journal; every Take is empty once the data ends early.
class RecordReader {
public:
    RecordReader(const std::string& data, std::size_t start) : data_(data), at_(start) {}

    bool done() const { return at_ >= data_.size(); }

    template <typename Number>
    std::optional<Number> Take() {
        if (data_.size() - at_ < sizeof(Number)) return std::nullopt;
        std::uint64_t value = 0;
        for (std::size_t byte = 0; byte < sizeof(Number); ++byte)
            value |= std::uint64_t{static_cast<unsigned char>(data_[at_ + byte])} << (8 * byte);
        at_ += sizeof(Number);
        return static_cast<Number>(value);
    }

    std::optional<std::string> TakeBytes() {
        const std::optional<std::uint32_t> size = Take<std::uint32_t>();
        if (!size || data_.size() - at_ < *size) return std::nullopt;
        std::string bytes = data_.substr(at_, *size);
        at_ += *size;
        return bytes;
    }

private:
    const std::string& data_;
    std::size_t at_;
};

[[noreturn]] void Damaged(const std::string& path, std::string reason) {
    throw JournalError(path, EINVAL, "not a journal this program can read: " + std::move(reason));
}

bool IsBlockOrNone(const std::string& bytes) {
    return bytes.empty() || bytes.size() == static_cast<std::size_t>(kBlockSize);
}

// False when the record is cut short at the end of the data.
bool TakeEntry(RecordReader& reader, const std::string& path, std::vector<JournalEntry>& entries) {
    const auto kind = reader.Take<std::uint8_t>();
    const auto entryPath = kind ? reader.TakeBytes() : std::nullopt;
    const auto lengthBefore = entryPath ? reader.Take<std::int64_t>() : std::nullopt;
    const auto oldBytes = lengthBefore ? reader.TakeBytes() : std::nullopt;
    const auto newBytes = oldBytes ? reader.TakeBytes() : std::nullopt;
    if (!newBytes) return false;
    const bool head = *kind == static_cast<std::uint8_t>(JournalEntryKind::Id3v2Head);
    if (*kind != static_cast<std::uint8_t>(JournalEntryKind::TailBlock) && !head)
        Damaged(path, "an entry of unknown kind " + std::to_string(*kind));
    if (!head && (!IsBlockOrNone(*oldBytes) || !IsBlockOrNone(*newBytes))) Damaged(path, "a block of the wrong size");
    entries.push_back({static_cast<JournalEntryKind>(*kind), *entryPath, *lengthBefore, *oldBytes, *newBytes});
    return true;
}

bool TakeOutcome(RecordReader& reader, const std::string& path, std::vector<JournalEntry>& entries) {
    const auto entry = reader.Take<std::uint32_t>();
    const auto outcome = entry ? reader.Take<std::uint8_t>() : std::nullopt;
    if (!outcome) return false;
    if (*entry >= entries.size() || *outcome > static_cast<std::uint8_t>(kLastOutcome))
        Damaged(path, "an outcome that belongs to no entry");
    entries[*entry].outcome = static_cast<JournalOutcome>(*outcome);
    return true;
}

// A FIFO or a device named as the journal is never opened (or, where it took the place of a
// file after the look, never read).
void CheckRegularJournal(const std::string& path, const struct stat& status) {
    if (!S_ISREG(status.st_mode))
        throw JournalError(path, S_ISDIR(status.st_mode) ? EISDIR : EINVAL, "the journal is not a regular file");
}

std::string ReadWhole(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0) CheckRegularJournal(path, status);
    const FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd.valid()) FailJournal(path, errno, "cannot open the journal");
    if (::fstat(fd.get(), &status) != 0) FailJournal(path, errno, "cannot read the journal");
    CheckRegularJournal(path, status);
    std::string data;
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t done = ::read(fd.get(), buffer, sizeof buffer);
        if (done < 0 && errno == EINTR) continue;
        if (done < 0) FailJournal(path, errno, "cannot read the journal");
        if (done == 0) return data;
        data.append(buffer, static_cast<std::size_t>(done));
    }
}

// What a write of the entry's kind leaves and replaces: a whole ID3v2 tag, or an ID3v1 block;
// nothing where there was none.
bool IsWhatItsKindWrites(const JournalEntry& entry, const std::string& bytes) {
    if (bytes.empty()) return true;
    if (entry.kind == JournalEntryKind::Id3v2Head) return Id3v2TagSize(bytes) == bytes.size();
    return bytes.size() == static_cast<std::size_t>(kBlockSize) && bytes.starts_with("TAG");
}

}  // namespace

bool IsJournal(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
    const FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    char magic[kMagicSize];
    return fd.valid() && ReadBytesAt(fd.get(), magic, sizeof magic, 0) == 0 &&
           std::string_view(magic, sizeof magic) == std::string_view(kMagic, kMagicSize);
}

std::optional<JournalWriter::Identity> JournalWriter::Replaceable(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return std::nullopt;
    if (!IsJournal(path)) throw JournalError(path, EEXIST, "exists and is not a journal; left as it is");
    return Identity{status.st_dev, status.st_ino};
}

JournalWriter::JournalWriter(std::string path)
    : path_(std::move(path)),
      newPath_(path_ + ".XXXXXX"),
      replaced_(Replaceable(path_)),
      fd_(::mkostemp(newPath_.data(), O_CLOEXEC)) {
    if (!fd_.valid()) FailJournal(path_, errno, "cannot create the journal");
    struct stat status {};
    if (::fstat(fd_.get(), &status) == 0) identity_ = {status.st_dev, status.st_ino};
    pending_.append(kMagic, kMagicSize);
    Put(pending_, kJournalVersion);
}

JournalWriter::~JournalWriter() {
    if (!inPlace_) (void)::unlink(newPath_.c_str());
}

std::size_t JournalWriter::Add(const JournalEntry& entry) {
    pending_ += kEntryRecord;
    Put(pending_, static_cast<std::uint8_t>(entry.kind));
    PutBytes(pending_, entry.path);
    Put(pending_, entry.lengthBefore);
    PutBytes(pending_, entry.oldBytes);
    PutBytes(pending_, entry.newBytes);
    if (entry.outcome != JournalOutcome::Pending) SetOutcome(entries_, entry.outcome);
    return entries_++;
}

void JournalWriter::SetOutcome(std::size_t entry, JournalOutcome outcome) {
    pending_ += kOutcomeRecord;
    Put(pending_, static_cast<std::uint32_t>(entry));
    Put(pending_, static_cast<std::uint8_t>(outcome));
}

void JournalWriter::Flush() {
    if (const int error = WriteAll(fd_.get(), pending_)) FailJournal(path_, error, "cannot write the journal");
    pending_.clear();
}

void JournalWriter::RefuseToWriteInto(const std::string& path, const LockedFile& file) const {
    const std::pair identity{file.device, file.inode};
    if (identity == identity_ || identity == replaced_)
        throw FileError(path, EINVAL, "is the journal this command writes; left unchanged");
}

void JournalWriter::Sync() {
    Flush();
    if (::fdatasync(fd_.get()) != 0) FailJournal(path_, errno, "cannot write the journal");
    if (inPlace_) return;
    if (::rename(newPath_.c_str(), path_.c_str()) != 0) FailJournal(path_, errno, "cannot replace the journal");
    inPlace_ = true;
    SyncFolderOf(path_);
}

std::vector<JournalEntry> ReadJournal(const std::string& path) {
    const std::string data = ReadWhole(path);

    if (data.compare(0, kMagicSize, kMagic) != 0) Damaged(path, "it does not begin with " + std::string(kMagic));
    RecordReader reader(data, kMagicSize);
    const std::optional<std::uint32_t> version = reader.Take<std::uint32_t>();
    if (!version) Damaged(path, "it ends inside its header");
    if (*version != kJournalVersion) Damaged(path, "version " + std::to_string(*version) + " is not known");

    std::vector<JournalEntry> entries;
    while (!reader.done()) {
        const char record = static_cast<char>(*reader.Take<std::uint8_t>());
        bool whole = false;
        if (record == kEntryRecord)
            whole = TakeEntry(reader, path, entries);
        else if (record == kOutcomeRecord)
            whole = TakeOutcome(reader, path, entries);
        else
            Damaged(path, "a record of unknown type");
        if (!whole) break;
    }
    return entries;
}

std::string ImpossibleEntry(const JournalEntry& entry) {
    if (!IsWhatItsKindWrites(entry, entry.oldBytes) || !IsWhatItsKindWrites(entry, entry.newBytes))
        return entry.kind == JournalEntryKind::Id3v2Head ? "bytes that are not an ID3v2 tag"
                                                         : "bytes that are not an ID3v1 block";
    if (entry.lengthBefore < 0) return "a length below zero";
    if (entry.lengthBefore > kLargestFileLength) return "a length beyond what a file can be";
    const auto lengthBefore = static_cast<std::uint64_t>(entry.lengthBefore);
    if (entry.kind == JournalEntryKind::Id3v2Head) {
        if (entry.oldBytes.size() > lengthBefore) return "a tag longer than the file it was in";
        return {};
    }
    if ((!entry.oldBytes.empty() || !entry.newBytes.empty()) && lengthBefore < static_cast<std::uint64_t>(kBlockSize))
        return "a block written into a file too short for it";
    return {};
}

}  // namespace sonatag
