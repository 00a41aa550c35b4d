#include "tag/gbk_guess.h"

#include <algorithm>

namespace sonatag {
namespace {

bool IsHigh(unsigned char byte) {
    return byte >= 0x80;
}
bool IsLead(unsigned char byte) {
    return byte >= 0x81 && byte <= 0xFE;
}
bool IsTrail(unsigned char byte) {
    return byte >= 0x40 && byte <= 0xFE && byte != 0x7F;
}
bool IsAsciiLetter(unsigned char byte) {
    return (byte | 0x20) >= 'a' && (byte | 0x20) <= 'z';
}

// The level-1 and level-2 hanzi of GB2312.
bool IsCommonHanzi(unsigned char lead, unsigned char trail) {
    return lead >= 0xB0 && lead <= 0xF7 && trail >= 0xA1 && trail <= 0xFE;
}

}  // namespace

GbkEvidence WeighGbk(std::string_view text) {
    GbkEvidence evidence;
    int letterTrails = 0;
    int highRun = 0;
    int longestHighRun = 0;
    bool onlyCommonHanzi = true;
    bool asciiLetters = false;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const auto byte = static_cast<unsigned char>(text[at]);
        highRun = IsHigh(byte) ? highRun + 1 : 0;
        longestHighRun = std::max(longestHighRun, highRun);
        if (!IsHigh(byte)) {
            asciiLetters = asciiLetters || IsAsciiLetter(byte);
            continue;
        }
        if (!IsLead(byte) || at + 1 == text.size()) return evidence;
        const auto trail = static_cast<unsigned char>(text[++at]);
        if (!IsTrail(trail)) return evidence;
        if (IsHigh(trail)) {
            ++evidence.hanzi;
            highRun += 1;
            longestHighRun = std::max(longestHighRun, highRun);
        } else {
            ++letterTrails;
            highRun = 0;
        }
        onlyCommonHanzi = onlyCommonHanzi && IsCommonHanzi(byte, trail);
    }
    evidence.validGbk = true;
    if (letterTrails > 0 && evidence.hanzi < 2) return evidence;
    evidence.convincing = evidence.hanzi > 0 && (longestHighRun >= 4 || (onlyCommonHanzi && !asciiLetters));
    return evidence;
}

}  // namespace sonatag
