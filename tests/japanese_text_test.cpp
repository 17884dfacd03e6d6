#include "monitor/japanese_text.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace lotwarden {
namespace {

struct CasePair {
  const char* name;
  std::u16string lower;
  std::u16string upper;
};

// Every lower-case letter that a code page 932 page can hold.
const CasePair kCasePairs[] = {
    {"ascii", u"abcdefghijklmnopqrstuvwxyz", u"ABCDEFGHIJKLMNOPQRSTUVWXYZ"},
    {"full-width latin", u"ａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔｕｖｗｘｙｚ",
     u"ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＸＹＺ"},
    {"greek", u"αβγδεζηθικλμνξοπρστυφχψω", u"ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨΩ"},
    {"cyrillic", u"абвгдеёжзийклмнопрстуфхцчшщъыьэюя", u"АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"},
    {"small roman numerals", u"ⅰⅱⅲⅳⅴⅵⅶⅷⅸⅹ", u"ⅠⅡⅢⅣⅤⅥⅦⅧⅨⅩ"},
};

TEST(UpperCaseTest, MapsEachLowerCaseLetterToItsCapital) {
  for (const CasePair& pair : kCasePairs) {
    SCOPED_TRACE(pair.name);
    ASSERT_EQ(pair.lower.size(), pair.upper.size());
    for (size_t i = 0; i < pair.lower.size(); ++i) {
      EXPECT_EQ(UpperCase(pair.lower[i]), pair.upper[i]) << "index " << i;
      EXPECT_EQ(UpperCase(pair.upper[i]), pair.upper[i]) << "capital at index " << i;
    }
    EXPECT_EQ(UpperCase(std::u16string_view{pair.lower}), pair.upper);
  }
}

TEST(UpperCaseTest, LeavesEveryOtherCharacterAlone) {
  std::set<char16_t> lowers;
  for (const CasePair& pair : kCasePairs)
    lowers.insert(pair.lower.begin(), pair.lower.end());
  for (unsigned code = 0; code <= 0xFFFF; ++code) {
    const auto c = static_cast<char16_t>(code);
    if (lowers.count(c) == 0) {
      ASSERT_EQ(UpperCase(c), c) << std::hex << "U+" << code;
    }
  }
}

TEST(UpperCaseTest, TextKeepsItsLengthAndItsJapanese) {
  const struct {
    std::u16string text;
    std::u16string upper;
  } cases[] = {
      {u"", u""},
      {u"<td><b>12,000 円</b></td>", u"<TD><B>12,000 円</B></TD>"},
      {u"Yahoo!オークション - Old camera", u"YAHOO!オークション - OLD CAMERA"},
      {u"ｉｄとﾊﾟｽﾜｰﾄﾞ ёлка ⅲ σ ς", u"ＩＤとﾊﾟｽﾜｰﾄﾞ ЁЛКА Ⅲ Σ ς"},
      {std::u16string(u"a\0b", 3), std::u16string(u"A\0B", 3)},
  };
  for (const auto& c : cases) {
    const std::u16string upper = UpperCase(std::u16string_view{c.text});
    EXPECT_EQ(upper.size(), c.text.size());
    EXPECT_EQ(upper, c.upper);
  }
}

TEST(HalfWidthTest, Table) {
  const struct {
    const char* name;
    std::u16string full;
    std::u16string half;
  } cases[] = {
      {"plain katakana",
       u"アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワヲ"
       u"ン",
       u"ｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜｦﾝ"},
      {"voiced katakana", u"ガギグゲゴザジズゼゾダヂヅデドバビブベボヴヷヺ",
       u"ｶﾞｷﾞｸﾞｹﾞｺﾞｻﾞｼﾞｽﾞｾﾞｿﾞﾀﾞﾁﾞﾂﾞﾃﾞﾄﾞﾊﾞﾋﾞﾌﾞﾍﾞﾎﾞｳﾞﾜﾞｦﾞ"},
      {"semi-voiced katakana", u"パピプペポ", u"ﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ"},
      {"small katakana", u"ァィゥェォャュョッ", u"ｧｨｩｪｫｬｭｮｯ"},
      {"prolonged sound mark", u"ー", u"ｰ"},
      {"punctuation", u"。「」、・", u"｡｢｣､･"},
      {"spacing sound marks", u"ハ゜ト゛゛゜", u"ﾊﾟﾄﾞﾞﾟ"},
      {"ideographic space", u"\u3000", u" "},
      {"full-width ascii", u"！＂＃０９：＠ＡＺ［＼］＾＿｀ａｚ｛｜｝～",
       u"!\"#09:@AZ[\\]^_`az{|}~"},
      {"no half-width form", u"ヮヰヱヵヶヽヾ゠", u"ヮヰヱヵヶヽヾ゠"},
      {"hiragana and kanji", u"がぱを入力してください現在の価格",
       u"がぱを入力してください現在の価格"},
      {"already half width", u"ｱｸｾｽ ﾄﾞｷｭﾒﾝﾄ ABC 123", u"ｱｸｾｽ ﾄﾞｷｭﾒﾝﾄ ABC 123"},
      {"other symbols", u"円〜①￥｟｠", u"円〜①￥｟｠"},
      {"site sentence", u"ＩＤとパスワードを入力してログインしてください",
       u"IDとﾊﾟｽﾜｰﾄﾞを入力してﾛｸﾞｲﾝしてください"},
      {"empty", u"", u""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(HalfWidth(c.full), c.half) << c.name;
  }
}

// Half-width forms have no further half-width form, so applying the mapping twice changes
// nothing more; a table entry pointing at another full-width character would break this.
TEST(HalfWidthTest, HalfWidthFormsAreFinal) {
  for (unsigned code = 0; code <= 0xFFFF; ++code) {
    const std::u16string once = HalfWidth(std::u16string(1, static_cast<char16_t>(code)));
    ASSERT_EQ(HalfWidth(once), once) << std::hex << "U+" << code;
    ASSERT_LE(once.size(), 2u);
  }
}

}  // namespace
}  // namespace lotwarden
