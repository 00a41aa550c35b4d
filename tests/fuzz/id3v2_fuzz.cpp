// libFuzzer entry for the ID3v2 tags of untrusted files: whatever tag a file begins with, a
// mirror write and a repair either keep the audio and every frame they do not rewrite, byte for
// byte, or refuse and leave the file exactly as it was.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "tag/id3v2_file.h"
#include "tag/id3v2_layout.h"

namespace {

const std::string kAudio = "\xFF\xFB\x90\x00" + std::string(600, '\x55');

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const std::string& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

using Rewritten = bool (*)(std::string_view id);

// Every frame of before but those a write may rewrite, in its order, appears in after.
bool KeepsFrames(const std::string& before, const std::string& after, Rewritten rewritten) {
    try {
        const sonatag::Id3v2Layout old(before), now(after);
        std::size_t next = 0;
        for (const sonatag::Id3v2FrameSpan& frame : old.frames()) {
            if (rewritten(frame.id)) continue;
            while (next < now.frames().size() && now.Raw(now.frames()[next]) != old.Raw(frame)) ++next;
            if (next++ == now.frames().size()) return false;
        }
        return true;
    } catch (const sonatag::Id3v2Error&) {
        return false;
    }
}

template <typename Write>
void Check(const std::string& path, const std::string& tag, Rewritten rewritten, Write write) {
    const std::string before = tag + kAudio;
    WriteAll(path, before);
    try {
        write();
    } catch (const sonatag::FileError&) {
        if (ReadAll(path) != before) std::abort();  // refused, yet changed
        return;
    }
    const std::string after = ReadAll(path);
    const std::size_t size = sonatag::Id3v2TagSize(after);
    if (after.compare(size, kAudio.size(), kAudio) != 0) std::abort();
    if (!tag.empty() && sonatag::Id3v2TagSize(tag) == tag.size() && !KeepsFrames(tag, after.substr(0, size), rewritten))
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = "/tmp/sonatag-fuzz-" + std::to_string(::getpid()) + ".mp3";
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t tagSize = sonatag::Id3v2TagSize(bytes);
    const std::string tag = tagSize > 0 && tagSize <= bytes.size() ? bytes.substr(0, tagSize) : std::string();
    Check(
        path, tag, [](std::string_view id) { return id == "TIT2" || id == "TT2"; },
        [&] {
            sonatag::UpdateTagsWithMirror(path, {"t", std::nullopt, std::nullopt}, {"t", std::nullopt, std::nullopt});
        });
    Check(
        path, tag, [](std::string_view id) { return id.starts_with('T'); }, [&] { sonatag::RepairId3v2(path, false); });
    return 0;
}
