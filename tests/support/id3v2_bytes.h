#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace sonatag::test {

// ID3v2 tags built byte by byte, so that tests control every header, flag and encoding byte.

// A frame of version 3 or 4 (10-byte header; the size synchsafe in 4), or of version 2
// (three-letter ID, 6-byte header).
std::string Id3v2Frame(std::string_view id, std::string_view payload, int version = 3, char formatFlags = 0,
                       char statusFlags = 0);
// A text frame's payload: the encoding byte 0 (ISO-8859-1) and the bytes.
std::string Latin1Payload(std::string_view bytes);
// A text frame's payload: the encoding byte 1 and the UTF-8 text as UTF-16 with a byte order mark.
std::string Utf16Payload(std::string_view utf8);
// header (version, flags, synchsafe size), body, then padding zero bytes.
std::string Id3v2TagBytes(int version, std::string_view body, std::size_t padding = 0, char flags = 0);
// Unsynchronisation: a zero byte after every 0xFF.
std::string Unsynchronise(std::string_view bytes);
// utf8 in another character set, by iconv's name for it ("GBK", "BIG5", "EUC-KR", ...).
std::string Encode(std::string_view utf8, const char* charset);

// Runs body in a forked child (so it may change limits or end abruptly) and returns the text
// it gave back, or "exited" when it ended without returning.
std::string RunInChild(const std::function<std::string()>& body);

}  // namespace sonatag::test
