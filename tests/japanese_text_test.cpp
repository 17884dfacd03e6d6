// SPDX-License-Identifier: MIT
#include "monitor/japanese_text.h"

#include <gtest/gtest.h>

#include <string>

namespace lotwarden {
namespace {

TEST(UpperCaseTest, MapsEveryLowerCaseLetterOfCodePage932AndNothingElse) {
  // ASCII, full-width Latin, Greek, Cyrillic, small Roman numerals.
  const std::u16string lower =
      u"abcdefghijklmnopqrstuvwxyzａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔｕｖｗｘｙｚ"
      u"αβγδεζηθικλμνξοπρστυφχψωабвгдеёжзийклмнопрстуфхцчшщъыьэюяⅰⅱⅲⅳⅴⅵⅶⅷⅸⅹ";
  const std::u16string upper =
      u"ABCDEFGHIJKLMNOPQRSTUVWXYZＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＸＹＺ"
      u"ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨΩАБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯⅠⅡⅢⅣⅤⅥⅦⅧⅨⅩ";
  ASSERT_EQ(lower.size(), upper.size());
  // The whole text spans the block-wise conversion and its tail.
  EXPECT_EQ(UpperCase(std::u16string_view{lower}), upper);
  for (unsigned code = 0; code <= 0xFFFF; ++code) {
    const auto c = static_cast<char16_t>(code);
    const size_t at = lower.find(c);
    ASSERT_EQ(UpperCase(c), at != std::u16string::npos ? upper[at] : c) << std::hex << "U+" << code;
  }
  // The text keeps its length, its Japanese and its NULs; ς has no capital in code page 932.
  EXPECT_EQ(UpperCase(std::u16string_view{u"ｉｄとﾊﾟｽﾜｰﾄﾞ\0σς円", 14}),
            std::u16string(u"ＩＤとﾊﾟｽﾜｰﾄﾞ\0Σς円", 14));
}

TEST(HalfWidthTest, Table) {
  const struct {
    std::u16string full;
    std::u16string half;
  } cases[] = {
      {u"アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワヲ"
       u"ン",
       u"ｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜｦﾝ"},
      {u"ガギグゲゴザジズゼゾダヂヅデドバビブベボヴヷヺ",
       u"ｶﾞｷﾞｸﾞｹﾞｺﾞｻﾞｼﾞｽﾞｾﾞｿﾞﾀﾞﾁﾞﾂﾞﾃﾞﾄﾞﾊﾞﾋﾞﾌﾞﾍﾞﾎﾞｳﾞﾜﾞｦﾞ"},
      {u"パピプペポ", u"ﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ"},
      {u"ァィゥェォャュョッー。「」、・", u"ｧｨｩｪｫｬｭｮｯｰ｡｢｣､･"},
      {u"ハ゜ト゛゛゜", u"ﾊﾟﾄﾞﾞﾟ"},
      {u"\u3000！＂０９：＠ＡＺ［＼］＾＿｀ａｚ｛～", u" !\"09:@AZ[\\]^_`az{~"},
      // Unchanged: katakana without a half-width form, hiragana, kanji, other symbols.
      {u"ヮヰヱヵヶヽヾ゠がぱを入力円〜①￥ｱﾞ", u"ヮヰヱヵヶヽヾ゠がぱを入力円〜①￥ｱﾞ"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(HalfWidth(c.full), c.half);
  }
}

// Half-width forms have no further form: an entry pointing at another full-width character
// would break this.
TEST(HalfWidthTest, HalfWidthFormsAreFinal) {
  for (unsigned code = 0; code <= 0xFFFF; ++code) {
    const std::u16string once = HalfWidth(std::u16string(1, static_cast<char16_t>(code)));
    ASSERT_EQ(HalfWidth(once), once) << std::hex << "U+" << code;
    ASSERT_LE(once.size(), 2u);
  }
}

}  // namespace
}  // namespace lotwarden
