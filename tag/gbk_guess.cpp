#include "tag/gbk_guess.h"

#include <algorithm>
#include <string>

#include "tag/second_reader.h"

namespace sonatag {
namespace {

bool IsHigh(unsigned char byte) {
    return byte >= 0x80;
}

// Rows A1 (punctuation), A3 (full-width forms) and the hanzi rows B0 to F7, less the five
// places at the end of row D7 that GB2312 leaves empty.
bool IsAssignedGb2312(unsigned char lead, unsigned char trail) {
    if (trail < 0xA1 || trail > 0xFE) return false;
    if (lead == 0xA1 || lead == 0xA3) return true;
    return lead >= 0xB0 && lead <= 0xF7 && !(lead == 0xD7 && trail > 0xF9);
}

bool IsHanziLead(unsigned char lead) {
    return lead >= 0xB0;
}

// The rows EUC-KR shares with GB2312 for symbols, and those of its Hangul syllables.
bool IsKoreanLead(unsigned char lead) {
    return lead == 0xA1 || lead == 0xA3 || (lead >= 0xB0 && lead <= 0xC8);
}

// À to ÿ but × and ÷.
bool IsLatin1Letter(unsigned char byte) {
    return byte >= 0xC0 && byte != 0xD7 && byte != 0xF7;
}

// What the byte rules find in the texts.
struct ByteEvidence {
    bool gb2312 = true;
    bool hanzi = false;
    bool latin1Words = true;  // every high byte a letter, never four in a row
    bool korean = true;       // every character in the rows of EUC-KR's Hangul
};

void Weigh(std::string_view text, ByteEvidence& evidence) {
    int highRun = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const auto lead = static_cast<unsigned char>(text[at]);
        if (!IsHigh(lead)) {
            highRun = 0;
            continue;
        }
        const auto trail = at + 1 < text.size() ? static_cast<unsigned char>(text[++at]) : 0;
        if (!IsAssignedGb2312(lead, trail)) {
            evidence.gb2312 = false;
            return;
        }
        highRun += 2;
        evidence.hanzi = evidence.hanzi || IsHanziLead(lead);
        evidence.latin1Words = evidence.latin1Words && IsLatin1Letter(lead) && IsLatin1Letter(trail) && highRun < 4;
        evidence.korean = evidence.korean && IsKoreanLead(lead);
    }
}

}  // namespace

bool LooksLikeGbk(std::span<const std::string_view> texts) {
    ByteEvidence evidence;
    std::string joined;
    for (const std::string_view text : texts) {
        Weigh(text, evidence);
        joined += text;
        joined += ' ';
    }
    if (!evidence.gb2312 || !evidence.hanzi || evidence.latin1Words || evidence.korean) return false;
    return !DetectorPrefersOtherCjk(joined);
}

}  // namespace sonatag
