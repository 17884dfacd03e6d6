// SPDX-License-Identifier: MIT
#include "monitor/japanese_text.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace lotwarden {
namespace {

constexpr char16_t kVoiced = 0xFF9E;      // ﾞ
constexpr char16_t kSemiVoiced = 0xFF9F;  // ﾟ

// Half-width forms of U+30A0..U+30FF (katakana, the middle dot and the prolonged sound mark);
// {0, 0} where there is none.
// clang-format off
constexpr std::array<HalfWidthForm, 96> kKatakana{{
    // ゠ァアィイゥウェ
    {0, 0}, {0xFF67, 0}, {0xFF71, 0}, {0xFF68, 0}, {0xFF72, 0}, {0xFF69, 0}, {0xFF73, 0}, {0xFF6A, 0},
    // エォオカガキギク
    {0xFF74, 0}, {0xFF6B, 0}, {0xFF75, 0}, {0xFF76, 0}, {0xFF76, kVoiced}, {0xFF77, 0},
    {0xFF77, kVoiced}, {0xFF78, 0},
    // グケゲコゴサザシ
    {0xFF78, kVoiced}, {0xFF79, 0}, {0xFF79, kVoiced}, {0xFF7A, 0}, {0xFF7A, kVoiced}, {0xFF7B, 0},
    {0xFF7B, kVoiced}, {0xFF7C, 0},
    // ジスズセゼソゾタ
    {0xFF7C, kVoiced}, {0xFF7D, 0}, {0xFF7D, kVoiced}, {0xFF7E, 0}, {0xFF7E, kVoiced}, {0xFF7F, 0},
    {0xFF7F, kVoiced}, {0xFF80, 0},
    // ダチヂッツヅテデ
    {0xFF80, kVoiced}, {0xFF81, 0}, {0xFF81, kVoiced}, {0xFF6F, 0}, {0xFF82, 0}, {0xFF82, kVoiced},
    {0xFF83, 0}, {0xFF83, kVoiced},
    // トドナニヌネノハ
    {0xFF84, 0}, {0xFF84, kVoiced}, {0xFF85, 0}, {0xFF86, 0}, {0xFF87, 0}, {0xFF88, 0}, {0xFF89, 0},
    {0xFF8A, 0},
    // バパヒビピフブプ
    {0xFF8A, kVoiced}, {0xFF8A, kSemiVoiced}, {0xFF8B, 0}, {0xFF8B, kVoiced}, {0xFF8B, kSemiVoiced},
    {0xFF8C, 0}, {0xFF8C, kVoiced}, {0xFF8C, kSemiVoiced},
    // ヘベペホボポマミ
    {0xFF8D, 0}, {0xFF8D, kVoiced}, {0xFF8D, kSemiVoiced}, {0xFF8E, 0}, {0xFF8E, kVoiced},
    {0xFF8E, kSemiVoiced}, {0xFF8F, 0}, {0xFF90, 0},
    // ムメモャヤュユョ
    {0xFF91, 0}, {0xFF92, 0}, {0xFF93, 0}, {0xFF6C, 0}, {0xFF94, 0}, {0xFF6D, 0}, {0xFF95, 0}, {0xFF6E, 0},
    // ヨラリルレロヮワ
    {0xFF96, 0}, {0xFF97, 0}, {0xFF98, 0}, {0xFF99, 0}, {0xFF9A, 0}, {0xFF9B, 0}, {0, 0}, {0xFF9C, 0},
    // ヰヱヲンヴヵヶヷ
    {0, 0}, {0, 0}, {0xFF66, 0}, {0xFF9D, 0}, {0xFF73, kVoiced}, {0, 0}, {0, 0}, {0xFF9C, kVoiced},
    // ヸヹヺ・ーヽヾヿ
    {0, 0}, {0, 0}, {0xFF66, kVoiced}, {0xFF65, 0}, {0xFF70, 0}, {0, 0}, {0, 0}, {0, 0},
}};
// clang-format on

// Branch-free, so that a loop over a whole page vectorises: each lower-case range moves its
// letters by their distance to the capitals.
inline char16_t Upper(char16_t c) {
  const auto in = [c](char16_t first, char16_t count) -> unsigned {
    return static_cast<char16_t>(c - first) < count;
  };
  const unsigned distance =
      (in(u'a', 26) + in(0x0430, 32) + in(0xFF41, 26)) * 0x20 +  // a..z, а..я, ａ..ｚ
      // Greek α..ω without the final sigma, which code page 932 does not have.
      (in(0x03B1, 25) & static_cast<unsigned>(c != 0x03C2)) * 0x20 + in(0x0451, 1) * 0x50 +  // ё
      in(0x2170, 10) * 0x10;  // ⅰ..ⅹ
  return static_cast<char16_t>(c - distance);
}

}  // namespace

char16_t UpperCase(char16_t c) {
  return Upper(c);
}

std::u16string UpperCase(std::u16string_view text) {
  std::u16string upper(text.size(), u'\0');
  // Blocks of a fixed size through a local buffer, which the input cannot overlap: the
  // compilers then vectorise the conversion without a run-time overlap check.
  constexpr size_t kBlock = 64;
  std::array<char16_t, kBlock> block;
  size_t i = 0;
  for (; i + kBlock <= text.size(); i += kBlock) {
    for (size_t j = 0; j < kBlock; ++j)
      block[j] = Upper(text[i + j]);
    std::copy(block.begin(), block.end(), upper.begin() + static_cast<std::ptrdiff_t>(i));
  }
  for (; i < text.size(); ++i)
    upper[i] = Upper(text[i]);
  return upper;
}

HalfWidthForm HalfWidthOf(char16_t c) {
  if (c < 0x3000) return {c, 0};
  if (c >= 0xFF01 && c <= 0xFF5E) return {static_cast<char16_t>(c - 0xFF01 + u'!'), 0};
  if (c >= 0x30A0 && c <= 0x30FF) {
    const HalfWidthForm form = kKatakana[c - 0x30A0];
    return form.base != 0 ? form : HalfWidthForm{c, 0};
  }
  // clang-format off
  switch (c) {
    case 0x3000: return {u' ', 0};         // ideographic space
    case 0x3001: return {0xFF64, 0};       // 、
    case 0x3002: return {0xFF61, 0};       // 。
    case 0x300C: return {0xFF62, 0};       // 「
    case 0x300D: return {0xFF63, 0};       // 」
    case 0x309B: return {kVoiced, 0};      // ゛
    case 0x309C: return {kSemiVoiced, 0};  // ゜
    default: return {c, 0};
  }
  // clang-format on
}

std::u16string HalfWidth(std::u16string_view text) {
  std::u16string half;
  half.reserve(text.size());
  for (const char16_t c : text) {
    const HalfWidthForm form = HalfWidthOf(c);
    half.push_back(form.base);
    if (form.mark != 0) half.push_back(form.mark);
  }
  return half;
}

}  // namespace lotwarden
