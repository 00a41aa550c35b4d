#pragma once

#include <span>
#include <string_view>

namespace sonatag {

// Whether texts labelled ISO-8859-1, all from one tag, hold GBK (code page 936) instead. They
// do only when every byte above 0x7F pairs into a character that GB2312 assigns in its rows of
// punctuation, full-width forms and hanzi (not its kana, Greek, Cyrillic, pinyin or box-drawing
// rows, not GBK's additions), some of them hanzi, and the texts are far more likely Chinese than
// anything else that fits those bytes:
// - not Latin-1 words: some byte above 0x7F is no Latin-1 letter, or four of them stand in a
//   row ("晴天" is "ÇçÌì" in Latin-1; "Ñú" and "ÀÉ ÎÕ" are words);
// - not Korean: some character lies outside the rows where EUC-KR keeps its Hangul syllables
//   ("사랑해" in EUC-KR is "荤尔秦" in GBK, all within those rows);
// - not Big5, EUC-KR, EUC-JP or Shift_JIS by ICU's charset detector, whose language models
//   decide once a text holds more than ten double-byte characters and abstain below.
bool LooksLikeGbk(std::span<const std::string_view> texts);

}  // namespace sonatag
