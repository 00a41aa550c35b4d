#include "tag/id3v2_file.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <utility>

#include "tag/cp936.h"
#include "tag/id3v2_read.h"
#include "tag/id3v2_rewrite.h"
#include "tag/locked_file.h"
#include "tag/second_reader.h"
#include "tag/tag_write.h"

namespace sonatag {
namespace {

[[noreturn]] void FailOnTag(const std::string& path, const Id3v2Error& error) {
    throw FileError(path, EINVAL, std::string(error.what()) + "; left unchanged");
}

// What a write puts into the file, next to what it holds now.
struct HeadPlan {
    std::string oldTag;  // the ID3v2 tag at the head, empty when there is none
    std::string newTag;
    Tail tail{};
    std::optional<Id3v1Tag> newBlock;  // none for a repair, which leaves the end alone
};

bool HeadChanges(const HeadPlan& plan) {
    return plan.newTag != plan.oldTag;
}

// What the in-place write of the plan replaces.
Replaced ReplacedInPlace(const LockedFile& file, const HeadPlan& plan) {
    Replaced replaced = plan.newBlock ? ReplacedBy(file, plan.tail) : Replaced{};
    if (HeadChanges(plan)) replaced.bytes.insert(replaced.bytes.begin(), {0, plan.oldTag});
    return replaced;
}

// The head is written first and read back, then the ID3v1 block; when either fails, both are
// put back.
void WriteInPlace(const std::string& path, const LockedFile& file, const HeadPlan& plan) {
    const int fd = file.fd.get();
    const Replaced head{{{0, plan.oldTag}}, std::nullopt};
    if (HeadChanges(plan)) {
        if (const int error = WriteBytesAt(fd, plan.newTag.data(), plan.newTag.size(), 0))
            FailWrite(path, file, error, "cannot write", head);
        std::string readBack(plan.newTag.size(), '\0');
        const int error = ReadBytesAt(fd, readBack.data(), readBack.size(), 0);
        if (error != 0 || readBack != plan.newTag)
            FailWrite(path, file, error != 0 ? error : EIO, "the ID3v2 tag read back is not what was written", head);
    }
    if (!plan.newBlock) return;
    const off_t blockStart = plan.tail.isBlock ? file.length - kBlockSize : file.length;
    if (const int error = WriteBlockAt(file, *plan.newBlock, blockStart))
        FailWrite(path, file, error, "cannot write", ReplacedInPlace(file, plan));
}

HeadWrite WriteHeadNow(const std::string& path, LockedFile& file, const HeadPlan& plan) {
    if (plan.newTag.size() == plan.oldTag.size()) {
        WriteInPlace(path, file, plan);
        CloseWritten(path, file, ReplacedInPlace(file, plan));
        return HeadChanges(plan) ? HeadWrite::InPlace : HeadWrite::None;
    }
    const bool replacesBlock = plan.newBlock && plan.tail.isBlock;
    const std::string tail = plan.newBlock ? BytesOf(*plan.newBlock) : std::string();
    RewriteFile(
        path, file,
        {plan.newTag, static_cast<off_t>(plan.oldTag.size()), file.length - (replacesBlock ? kBlockSize : 0), tail});
    (void)file.fd.Close();  // only read from: the new file took its place
    return HeadWrite::Rewritten;
}

// Journals the plan (one sync), writes it and records the outcome.
HeadWrite WriteHead(const std::string& path, LockedFile& file, const HeadPlan& plan, JournalWriter* journal) {
    if (journal == nullptr) return WriteHeadNow(path, file, plan);
    const off_t lengthAfterHead =
        file.length - static_cast<off_t>(plan.oldTag.size()) + static_cast<off_t>(plan.newTag.size());
    std::vector<std::size_t> entries;
    if (HeadChanges(plan))
        entries.push_back(journal->Add({JournalEntryKind::Id3v2Head, path, file.length, plan.oldTag, plan.newTag}));
    if (plan.newBlock) {
        entries.push_back(
            journal->Add({JournalEntryKind::TailBlock, path, lengthAfterHead,
                          plan.tail.isBlock ? BytesOf(plan.tail.bytes) : std::string(), BytesOf(*plan.newBlock)}));
    }
    journal->Sync();
    JournalOutcome outcome = JournalOutcome::Failed;
    auto record = [&] {
        for (const std::size_t entry : entries) journal->SetOutcome(entry, outcome);
    };
    try {
        const HeadWrite written = WriteHeadNow(path, file, plan);
        outcome = JournalOutcome::Written;
        record();
        return written;
    } catch (const FileError&) {
        record();
        throw;
    }
}

// The new tag for a splice: the old tag's size where the frames fit in it, otherwise room for
// them and kId3v2Padding. It is checked before it is used: split again, it holds the frames
// asked for and every other frame byte for byte in its order; and for a tag not laid out
// plainly, TagLib finds in it every frame it found in the old one.
std::string SplicedTag(const Id3v2Layout& layout, const Id3v2Splice& splice, const std::string& oldTag,
                       const std::vector<std::string>& rewrittenIds) {
    const bool changes =
        !splice.first.empty() || std::any_of(splice.edits.begin(), splice.edits.end(), [](const Id3v2FrameEdit& edit) {
            return edit.kind != Id3v2FrameEdit::Kind::Keep;
        });
    if (!changes) return oldTag;
    const std::string smallest = layout.Splice(splice);
    std::string tag;
    if (!oldTag.empty() && smallest.size() <= oldTag.size() && (layout.TakesPadding() || smallest == oldTag))
        tag = layout.Splice(splice, oldTag.size());
    else
        tag = layout.TakesPadding() ? layout.Splice(splice, smallest.size() + kId3v2Padding) : smallest;
    layout.CheckSplice(splice, tag);
    if (!oldTag.empty() && !layout.plain()) {
        std::vector<std::string> ids;
        for (const std::string& id : rewrittenIds) ids.push_back(TagLibFrameId(id, layout.version()));
        const std::vector<std::string> lost = FramesTagLibLoses(oldTag, tag, ids);
        if (!lost.empty()) throw Id3v2Error("TagLib would no longer find the frame " + lost.front() + " in the tag");
    }
    return tag;
}

// A frame that already holds text: a text not given keeps it.
bool HoldsText(const Id3v2Layout& layout, const std::string& id) {
    return std::any_of(layout.frames().begin(), layout.frames().end(),
                       [&](const Id3v2FrameSpan& frame) { return frame.id == id && frame.bodySize > 1; });
}

// The texts the three frames take: those given; for the others, the ID3v1 block's text where the
// tag has no such frame.
MirrorTexts MirroredTexts(const Id3v2Layout& layout, const MirrorTexts& given, const TagFields& id3v1) {
    const std::array<std::string, 3> ids = MirroredFrameIds(layout.version());
    std::optional<std::string> MirrorTexts::*const texts[] = {&MirrorTexts::title, &MirrorTexts::artist,
                                                              &MirrorTexts::album};
    std::string TagFields::*const fields[] = {&TagFields::title, &TagFields::artist, &TagFields::album};
    MirrorTexts picked;
    for (std::size_t i = 0; i < ids.size(); ++i) {
        if (given.*texts[i] || HoldsText(layout, ids[i]) || (id3v1.*fields[i]).empty())
            picked.*texts[i] = given.*texts[i];
        else
            picked.*texts[i] = Cp936ToUtf8(id3v1.*fields[i]);
    }
    return picked;
}

// The splice that writes texts into the three frames, each where the first frame of its ID
// stands, so that the frames around it keep their neighbours, or first where readers would not
// reach it there or the tag has none; other frames of the ID are dropped. The IDs it rewrites.
Id3v2Splice MirrorSplice(const Id3v2Layout& layout, const MirrorTexts& texts, std::vector<std::string>& rewritten) {
    const std::array<std::string, 3> ids = MirroredFrameIds(layout.version());
    const std::optional<std::string>* given[] = {&texts.title, &texts.artist, &texts.album};
    Id3v2Splice splice;
    splice.edits.resize(layout.frames().size(), {Id3v2FrameEdit::Kind::Keep, {}});
    for (std::size_t i = 0; i < ids.size(); ++i) {
        if (!*given[i]) continue;
        rewritten.push_back(ids[i]);
        std::optional<Id3v2NewFrame> frame;
        if (!given[i]->value().empty()) frame = Id3v2NewFrame{ids[i], Utf16TextBody(given[i]->value())};
        for (std::size_t at = 0; at < layout.frames().size(); ++at) {
            if (layout.frames()[at].id != ids[i]) continue;
            splice.edits[at].kind = Id3v2FrameEdit::Kind::Drop;
            if (frame && at < layout.ReadersStopAt())
                splice.edits[at] = {Id3v2FrameEdit::Kind::Replace, *std::exchange(frame, std::nullopt)};
        }
        if (frame) splice.first.push_back(std::move(*frame));
    }
    return splice;
}

// The splice of a repair: each mislabelled frame in its place with its flags.
Id3v2Splice RepairSplice(const Id3v2Layout& layout, const std::vector<MislabelledFrame>& frames,
                         std::vector<std::string>& rewritten) {
    Id3v2Splice splice;
    splice.edits.resize(layout.frames().size());
    for (const MislabelledFrame& frame : frames) {
        const Id3v2FrameSpan& span = layout.frames()[frame.index];
        splice.edits[frame.index] = {Id3v2FrameEdit::Kind::Replace, {span.id, frame.body, span.statusFlags}};
        rewritten.push_back(span.id);
    }
    return splice;
}

// The plan of a mirror write into the locked file.
HeadPlan PlanMirror(const std::string& path, const LockedFile& file, const TagUpdate& update,
                    const MirrorTexts& mirror) {
    HeadPlan plan;
    std::size_t headSize = 0;
    try {
        plan.oldTag = ReadHeadTag(path, file, headSize);
        plan.tail = ReadTail(path, file, headSize);
        plan.newBlock = UpdatedBlock(plan.tail, update);
        const Id3v2Layout layout = plan.oldTag.empty() ? Id3v2Layout() : Id3v2Layout(plan.oldTag);
        std::vector<std::string> rewritten;
        const MirrorTexts texts = MirroredTexts(layout, mirror, ParseTagBlock(*plan.newBlock).fields);
        plan.newTag = SplicedTag(layout, MirrorSplice(layout, texts, rewritten), plan.oldTag, rewritten);
    } catch (const Id3v2Error& error) {
        FailOnTag(path, error);
    }
    return plan;
}

// The three texts as players show them: where the tag cannot be split with certainty, as the
// second reader finds them; why neither way could read them, in id3v2Problem.
void ReadShownFields(const std::string& tag, BothTags& both) {
    try {
        both.id3v2 = ReadId3v2Fields(Id3v2Layout(tag));
        return;
    } catch (const Id3v2Error&) {
    }
    try {
        both.id3v2 = ReadId3v2FieldsWithTagLib(tag);
    } catch (const Id3v2Error& error) {
        both.id3v2Problem = error.what();
    }
}

}  // namespace

BothTags ReadBothTags(const std::string& path) {
    const LockedFile file = OpenLocked(path, Access::Read);
    BothTags both;
    std::size_t headSize = 0;
    std::string tag;
    try {
        tag = ReadHeadTag(path, file, headSize);
    } catch (const Id3v2Error& error) {
        both.id3v2Problem = error.what();
    }
    if (file.length < kBlockSize) {
        both.id3v1 = {ReadOutcome::TooShort, {}};
    } else {
        const Tail tail = ReadTail(path, file, headSize);
        both.id3v1 = tail.isBlock ? ParseTagBlock(tail.bytes) : TagReadResult{ReadOutcome::NoTag, {}};
    }
    if (!tag.empty()) ReadShownFields(tag, both);
    return both;
}

MirrorOutcome UpdateTagsWithMirror(const std::string& path, const TagUpdate& update, const MirrorTexts& mirror,
                                   JournalWriter* journal) {
    LockedFile file = OpenLocked(path, Access::Write);
    if (journal != nullptr) journal->RefuseToWriteInto(path, file);
    if (file.length < kBlockSize) return {WriteOutcome::TooShort, HeadWrite::None};
    const HeadPlan plan = PlanMirror(path, file, update, mirror);
    return {WriteOutcome::Written, WriteHead(path, file, plan, journal)};
}

MirrorPreview PreviewMirror(const std::string& path, const TagUpdate& update, const MirrorTexts& mirror) {
    const LockedFile file = OpenLocked(path, Access::Read);
    MirrorPreview preview;
    if (file.length < kBlockSize) return preview;
    std::size_t headSize = 0;
    try {
        const std::string tag = ReadHeadTag(path, file, headSize);
        const Id3v2Layout layout = tag.empty() ? Id3v2Layout() : Id3v2Layout(tag);
        if (!tag.empty()) preview.before = ReadId3v2Fields(layout);
        const Tail tail = ReadTail(path, file, headSize);
        preview.after = MirroredTexts(layout, mirror, ParseTagBlock(UpdatedBlock(tail, update)).fields);
    } catch (const Id3v2Error& error) {
        FailOnTag(path, error);
    }
    return preview;
}

void WriteMirrorBatch(std::span<const BatchFile> files, JournalWriter* journal, const BatchCallback& onFile) {
    const FolderScope folders;
    for (std::size_t at = 0; at < files.size(); ++at) {
        BatchFileResult result{at};
        std::optional<FileError> error;
        try {
            result.outcome = UpdateTagsWithMirror(files[at].path, files[at].update, files[at].mirror, journal).id3v1;
        } catch (const JournalError&) {
            throw;
        } catch (const FileError& caught) {
            error = caught;
            result.error = &*error;
        }
        if (!onFile(result)) break;
    }
    if (journal != nullptr) journal->Sync();
}

RepairOutcome RepairId3v2(const std::string& path, bool dryRun, JournalWriter* journal) {
    LockedFile file = OpenLocked(path, dryRun ? Access::Read : Access::Write);
    if (journal != nullptr) journal->RefuseToWriteInto(path, file);
    RepairOutcome outcome;
    HeadPlan plan;
    try {
        std::size_t headSize = 0;
        plan.oldTag = ReadHeadTag(path, file, headSize);
        if (plan.oldTag.empty()) return outcome;
        const Id3v2Layout layout(plan.oldTag);
        const std::vector<MislabelledFrame> frames = MislabelledFrames(layout);
        for (const MislabelledFrame& frame : frames) outcome.repairs.push_back(frame.repair);
        if (dryRun || frames.empty()) return outcome;
        std::vector<std::string> rewritten;
        plan.newTag = SplicedTag(layout, RepairSplice(layout, frames, rewritten), plan.oldTag, rewritten);
    } catch (const Id3v2Error& error) {
        FailOnTag(path, error);
    }
    outcome.id3v2 = WriteHead(path, file, plan, journal);
    return outcome;
}

RestoreOutcome RestoreId3v2Head(const JournalEntry& entry) {
    LockedFile file = OpenLocked(entry.path, Access::Write);
    const off_t lengthAfter =
        entry.lengthBefore - static_cast<off_t>(entry.oldBytes.size()) + static_cast<off_t>(entry.newBytes.size());
    auto startsWith = [&](const std::string& bytes) {
        if (file.length < static_cast<off_t>(bytes.size())) return false;
        std::string head(bytes.size(), '\0');
        if (const int error = ReadBytesAt(file.fd.get(), head.data(), head.size(), 0))
            Fail(entry.path, error, "cannot read");
        return head == bytes;
    };
    if (file.length == lengthAfter && startsWith(entry.newBytes)) {
        HeadPlan plan;
        plan.oldTag = entry.newBytes;
        plan.newTag = entry.oldBytes;
        WriteHeadNow(entry.path, file, plan);
        return RestoreOutcome::Restored;
    }
    if (file.length == entry.lengthBefore && startsWith(entry.oldBytes)) return RestoreOutcome::AsBefore;
    return RestoreOutcome::Changed;
}

}  // namespace sonatag
