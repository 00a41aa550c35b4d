#pragma once

#include <string_view>

namespace sonatag {

// What the bytes of a text labelled ISO-8859-1 say about being GBK (code page 936) instead.
struct GbkEvidence {
    bool validGbk = false;  // every byte above 0x7F pairs into a GBK character
    int hanzi = 0;          // double-byte characters whose two bytes are both above 0x7F
    bool convincing = false;
};

// convincing: the text is valid GBK with a run of four or more bytes above 0x7F, or holds only
// common GB2312 characters and no ASCII letters. A character whose second byte is an ASCII
// letter counts only when the text has two or more other Chinese characters, so Latin-1 words
// such as "Mädchen" or "Björk" are not taken for Chinese.
GbkEvidence WeighGbk(std::string_view bytes);

}  // namespace sonatag
