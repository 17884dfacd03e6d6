// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace lotwarden {

// The simple upper-case form of one character: ASCII and full-width Latin letters, and the
// other lower-case letters of code page 932 (Greek, Cyrillic, small Roman numerals). Every
// other character is returned unchanged.
char16_t UpperCase(char16_t c);

// The text with every character upper-cased; always the same length as the input.
std::u16string UpperCase(std::u16string_view text);

// The half-width form of one character: a base character and, for a katakana with a voiced or
// semi-voiced sound mark, the half-width mark (U+FF9E or U+FF9F) that follows it; mark is 0 when
// the form is one character.
struct HalfWidthForm {
  char16_t base;
  char16_t mark;
};
HalfWidthForm HalfWidthOf(char16_t c);

// The text with full-width ASCII, the ideographic space, katakana and Japanese punctuation
// replaced by their half-width forms. Hiragana, kanji and katakana without a half-width form
// are unchanged.
std::u16string HalfWidth(std::u16string_view text);

}  // namespace lotwarden
