// SPDX-License-Identifier: MIT
// The readers: the decoder against a literal oracle, the text tables, pages, the interval.
#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "monitor/cp932.h"
#include "monitor/euc_jp.h"
#include "monitor/interval.h"
#include "monitor/japanese_text.h"
#include "monitor/page_analysis.h"

namespace lotwarden {
namespace {

using namespace std::string_literals;

// The decoding written out step by step, with no folded table and no fast path.
std::u16string OracleDecode(const std::string& bytes) {
  static const std::u16string kKana =
      u"。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノ"
      u"ハヒフヘホマミムメモヤユヨラリルレロワン゛゜";
  std::u16string text;
  std::size_t i = 0;
  while (bytes.size() >= 2 && i <= bytes.size() - 2) {
    const unsigned c1 = static_cast<unsigned char>(bytes[i]);
    const unsigned c2 = static_cast<unsigned char>(bytes[i + 1]);
    i += c1 <= 0x7F ? 1 : 2;
    if (c1 <= 0x7F) {
      text += static_cast<char16_t>(c1);
    } else if (c1 == 0x8E) {
      const char16_t c = Cp932ToUnicode(static_cast<std::uint8_t>(c2));
      text += c >= 0xFF61 && c <= 0xFF9F ? kKana.at(c - 0xFF61)
              : c >= 0x21 && c <= 0x7E   ? static_cast<char16_t>(c + 0xFEE0)
              : c == 0x20                ? char16_t{0x3000}
                                         : c;
    } else {
      const unsigned j1 = c1 & 0x7F, j2 = c2 & 0x7F;
      unsigned s2 = j1 % 2 == 1 ? j2 + 31 : j2 + 125;
      if (s2 >= 127) s2 += 1;
      unsigned s1 = static_cast<unsigned>((static_cast<int>(j1) - 33) / 2 + 129);
      if (s1 > 159) s1 += 64;
      text += Cp932ToUnicode(static_cast<std::uint8_t>(s1), static_cast<std::uint8_t>(s2));
    }
  }
  if (i + 1 == bytes.size()) text += Cp932ToUnicode(static_cast<std::uint8_t>(bytes[i]));
  return text;
}

// Every path must give the oracle's text.
void ExpectOracle(const std::string& bytes) {
  const std::u16string oracle = OracleDecode(bytes);
  for (const std::u16string& text : DecodeEucJpOnEveryPath(bytes))
    ASSERT_TRUE(text == oracle) << ::testing::PrintToString(bytes.substr(0, 100));
}

TEST(DecodeEucJp, WorkedCasesAtEveryOffsetOfABlock) {
  // clang-format off
  const std::pair<std::string, std::u16string> cases[] = {
      {"", u""}, {"\x00"s, u"\u0000"s}, {"A\xA4", u"A\uFF64"} /* a lead byte last: one byte */,
      {"\xDE", u"\uFF9E"}, {"\xFF", u"\uF8F3"}, {"\xE0", u"\uFFFD"}, {"\xA1\xA1", u"\u3000"},
      {"\xB1\xE0", u"\u5712"}, {"\xE0\xA1", u"\u71F9"}, {"\xA1\xC1", u"\uFF5E"}, {"\xAD\xA1", u"\u2460"},
      {"\x8E\xB6\x8E\xDE", u"\u30AB\u309B"}, {"\x8E\xA4", u"\u3001"}, {"\x8E" "A", u"\uFF21"},
      {"\x8E ", u"\u3000"}, {"\x8E\n", u"\n"}, {"\xA1<", u"\u30FC"}, {"\xA9\xA1", u"\uFFFD"},
      {"\x8F\xA1\xA1" "A", u"\uFFFD\uFF5E"}, {"\xA1\x00"s, u"\uFFFD"},
      {"<B>12,000 \xB1\xDF</B>", u"<B>12,000 \u5186</B>"}};
  // clang-format on
  for (const auto& [bytes, text] : cases) {
    EXPECT_EQ(DecodeEucJp(bytes), text) << ::testing::PrintToString(bytes);
    EXPECT_EQ(OracleDecode(bytes), text) << ::testing::PrintToString(bytes);
    for (int offset = 0; offset < 64; ++offset) {
      for (int tail : {0, 17, 65})
        ExpectOracle(std::string(offset, 'x') + bytes + std::string(tail, 'y'));
    }
  }
}

TEST(DecodeEucJp, EveryPathMatchesTheOracle) {
  std::string all, spaced;  // spaced: each pair then a space, so every block is mixed
  for (int pair = 0; pair < 0x10000; ++pair) {
    const std::string bytes{static_cast<char>(pair >> 8), static_cast<char>(pair)};
    ExpectOracle(bytes);
    all += bytes;
    spaced += bytes + ' ';
  }
  // As streams, an ASCII lead shifting the pairing across every block edge.
  for (const std::string& bytes : {all, "A" + all, spaced, "A" + spaced})
    ExpectOracle(bytes);
  // Runs of lead bytes of every length from every offset: odd runs swallow the ASCII after them.
  for (int offset = 0; offset < 64; ++offset) {
    for (int run = 1; run <= 130; ++run)
      ExpectOracle(std::string(offset, 'a') + std::string(run, '\xB0') + "<b>" +
                   std::string(70, 'c'));
  }
  // Random bytes, short and long: uniform, mostly ASCII, dense leads, heavy in single shifts.
  std::mt19937 rng(20240613);
  // clang-format off
  const std::vector<std::vector<int>> alphabets = {{}, {'a', '<', ' ', 0xA4, 0xB0, 0x8E, 0xA1},
      {0xA1, 0xA4, 0xA5, 0xB0, 0xFE, 0x8F, 'x'}, {0x8E, 0xB1, 0xDE, 0xDF, 'A', 0x20}};
  // clang-format on
  for (const auto& alphabet : alphabets) {
    for (int round = 0; round < 303; ++round) {
      std::string bytes(round < 300 ? round % 150 : 40000 + rng() % 40000, '\0');
      for (char& b : bytes)
        b = static_cast<char>(alphabet.empty() ? rng() % 256 : alphabet[rng() % alphabet.size()]);
      ExpectOracle(bytes);
    }
  }
}

// Only code page 932's lower-case letters upper-case; half-width forms are final.
TEST(JapaneseText, UpperCaseAndHalfWidthForms) {
  const std::u16string lower = u"abyzａｚαωаяёⅰⅹ", upper = u"ABYZＡＺΑΩАЯЁⅠⅩ";
  for (unsigned code = 0; code <= 0xFFFF; ++code) {
    const auto c = static_cast<char16_t>(code);
    const bool letter = (c >= u'a' && c <= u'z') || (c >= u'ａ' && c <= u'ｚ') ||
                        (c >= u'α' && c <= u'ω' && c != u'ς') || (c >= u'а' && c <= u'я') ||
                        c == u'ё' || (c >= u'ⅰ' && c <= u'ⅹ');
    ASSERT_EQ(UpperCase(c) != c, letter) << std::hex << code;
    const std::u16string once = HalfWidth(std::u16string(1, c));
    ASSERT_EQ(HalfWidth(once), once) << std::hex << code;
  }
  EXPECT_EQ(UpperCase(std::u16string_view{lower}), upper);  // the block-wise conversion too
  EXPECT_EQ(HalfWidth(u"ガパァー。、ハ゜\u3000Ａ～ヮがを入力①"), u"ｶﾞﾊﾟｧｰ｡､ﾊﾟ A~ヮがを入力①");
}

constexpr std::u16string_view kLogin = u"YAHOO!オークションにログオンしてください．";
enum : int { kPrice = 1, kTime = 2, kTitle = 4, kAll = 7 };

StatusFields Fields(int checks) {
  return {(checks & kPrice) != 0, (checks & kTime) != 0, (checks & kTitle) != 0};
}

// An item page as the site serves it: lower-case HTML, rows on their own lines, entities.
std::u16string ItemPage(std::u16string_view price, std::u16string_view timeLeft) {
  return u"<html>\n<title>Yahoo!オークション - Old camera</title>\n<table>\n<tr><td>出品者</td>"
         u"<td><a href=\"/s\">shop</a></td></tr>\n<tr>\n<td>現在の価格</td>\n<td><b>" +
         std::u16string(price) + u"</b> (税込)</td>\n</tr>\n<tr><td>残り時間</td><td><b>" +
         std::u16string(timeLeft) + u"</b></td></tr>\n</table>\n</html>\n";
}

TEST(AnalyzePage, ReadsAnItemPageInAnyLetterCase) {
  const std::u16string mixed =
      u"<Html><Title>Yahoo!オークション - Old Camera</Title><Table><Tr><Td>現在の価格</Td>"
      u"<Td><B>12,000 円</b></tD><Td>残り時間</Td><Td><B>45&Nbsp;分</B></Td></Table></hTmL>";
  for (const std::u16string& page : {ItemPage(u"12,000 円", u"45&nbsp;分"), mixed}) {
    EXPECT_EQ(AnalyzePage(page, Fields(kAll)),
              (PageReading{u"12,000 円/残り45分/OLD CAMERA", false, u"12,000 円", u"/残り45分"}));
  }
  // The boxes choose the parts; the price is read only when shown, the time left always.
  const std::u16string p = u"12,000 円", t = u"/残り4分", n = u"/OLD CAMERA";
  const std::u16string statuses[8] = {u"", p, t, p + t, n, p + n, t + n, p + t + n};
  for (int checks = 0; checks < 8; ++checks) {
    const std::optional<std::u16string> price = (checks & kPrice) ? std::optional(p) : std::nullopt;
    EXPECT_EQ(AnalyzePage(ItemPage(p, u"4&nbsp;分"), Fields(checks)),
              (PageReading{statuses[checks], false, price, t}));
  }
  // Fields of up to 4,096 characters whole, longer ones cut to 4,097: no big field is held.
  for (const size_t length : {4096, 4097, 100000}) {
    const std::u16string field(length, u'9'), kept = field.substr(0, 4097);
    const PageReading reading = AnalyzePage(ItemPage(field, field), Fields(kPrice | kTime));
    EXPECT_TRUE(reading.price == kept && reading.status == kept + u"/残り" + kept) << length;
  }
  for (const std::u16string left : {u"このオークションは終了しました", u"3分 (終了間近)"}) {
    EXPECT_EQ(AnalyzePage(ItemPage(u"1 円", left), Fields(kTime)),
              (PageReading{u"/終了", false, std::nullopt, u"/終了", true}));
  }
}

// The site's sentences in either width, in their order; then markers missing (the searches go on
// from fixed positions), entities, and searches finding nothing (empty pieces).
TEST(AnalyzePage, SiteMessagesAndOddPages) {
  // clang-format off
  const std::tuple<int, std::u16string, std::u16string_view> cases[] = {
      {kTime, u"IDとﾊﾟｽﾜｰﾄﾞを入力してﾛｸﾞｲﾝしてください", kLogin},
      {kTime, u"<p>ｉdとハ゜スワート゛を入力してロク゛インしてください</html>", kLogin},  // marks apart
      {kTime, u"指定されたドキュメントは存在しません", u"ロードできていません."},
      {kTime, u"アクセスできませんでした 指定されたﾄﾞｷｭﾒﾝﾄは存在しません</html>", u"オークションが存在しません."},
      {kTime, u"ｱｸｾｽできませんでした</html>", u"オークションにアクセスできません."},
      {kPrice, u"<html><td><b>出品者</b></td><td>現在価格</td><td><b>5 円</b></td></html>", u"出品者"},
      {kPrice, u"0123456789</b>現在の価格</html>", u"6789"},
      {kTime, u"<html><body>3&nbsp;日<br>残り<b>4分</b></html>", u"/残り3日"},
      {kTitle, u"Yahoo - first<br>Yahoo - second<br></html>", u"/SECOND"},
      {kTitle, u"abcd-fghi<title>Camera - X</title></html>", u"/GHI"},
      {kTitle, u"<title>Yahoo! Camera</title></html>", u"/TITLE>YAHOO! CAMERA"},
      {kTime, u"</html>残り時間<b>1&nbsp;日&nbsp;</b>", u"/残り1日&NBSP;"},
      {kTime, u"</html>残り時間<td>A;B&C;D</td>", u"/残りA;BB&C;D"},
      {kTime, u"</html>残り時間</td>\n<td>2日</td>", u"/残り\n"},
      {kAll, u"<td>現在の価格<td><b>us ｕｓｄ</html>残り時間<b><title>Yahoo - X", u"/残り/"},
      {kPrice, u"<td>現在の価格<td><b>us ｕｓｄ</b></html>", u"US ＵＳＤ"}};
  // clang-format on
  for (const auto& [checks, page, status] : cases) {
    const PageReading reading = AnalyzePage(page, Fields(checks));
    EXPECT_EQ(reading.status, status) << ::testing::PrintToString(page);
    EXPECT_EQ(reading.loginPage, status == kLogin);
  }
  // Markers past 16-bit positions, and anywhere in a block of the scans.
  const std::u16string pad(33000, u'x');
  EXPECT_EQ(
      AnalyzePage(pad + u"<title>Yahoo!オークション - Lens</title>" + pad + u"<td>現在の価格" +
                      u"</td><td><b>3 円</b>" + pad + u"<td>残り時間</td><td>2日</td></html>",
                  Fields(kAll))
          .status,
      u"3 円/残り2日/LENS");
  for (size_t at = 0; at < 70; ++at) {
    const std::u16string x(at, u'x');
    EXPECT_EQ(AnalyzePage(x + u"IDとパスワードを入力してログインしてください", {}).status, kLogin);
    EXPECT_EQ(AnalyzePage(x + u"</html>残り時間<b>3日<", {}).timePiece, u"/残り3日");
    EXPECT_EQ(AnalyzePage(x + u"<td>現在の価格<td><b>7 円</b></html>ｱｸｾｽできませんでし", {}).price,
              u"7 円");
  }
}

TEST(AdaptInterval, HalvesWhenTheMinutesLeftAreAtMostTheInterval) {
  const LocalMinute fetch = MinuteOf(MakeLocalTime(2024, 5, 1, 23, 58));
  // clang-format off
  const struct {
    std::u16string piece;
    int interval;
    std::optional<int> halved;  // empty: nothing changes
  } cases[] = {
      {u"/残り45分", 10, {}}, {u"/残り7分", 10, 3}, {u"/残り5分", 5, 2}, {u"/残り6分", 5, {}},
      {u"/残り \t5 \r\n分", 5, 2}, {u"/残り3分30秒", 5, 1}, {u"/残り3日", 30, {}}, {u"/終了", 30, {}},
      {u"/残り 分", 30, {}}, {u"/残り5 6分", 30, {}}, {u"/残り99999999999999999999分", 30, {}},
      {u"/残り1分", 1, 1}, {u"/残り-3分", 5, 1}};  // a halved 0 or less: the slider's least, 1
  // clang-format on
  for (const auto& c : cases) {
    // The next fetch counts from the minute of the fetch, across midnight too.
    const auto expected =
        c.halved ? std::optional(IntervalChange{*c.halved, fetch + std::chrono::minutes{*c.halved}})
                 : std::nullopt;
    EXPECT_EQ(AdaptInterval(c.piece, c.interval, fetch), expected)
        << ::testing::PrintToString(c.piece);
  }
}

}  // namespace
}  // namespace lotwarden
