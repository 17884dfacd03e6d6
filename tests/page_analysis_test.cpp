// SPDX-License-Identifier: MIT
#include "monitor/page_analysis.h"

#include <gtest/gtest.h>

#include <string>

namespace lotwarden {
namespace {

constexpr std::u16string_view kLoginStatus = u"YAHOO!オークションにログオンしてください．";
constexpr std::u16string_view kNotLoaded = u"ロードできていません.";
constexpr std::u16string_view kNoSuchAuction = u"オークションが存在しません.";
constexpr std::u16string_view kNoAccess = u"オークションにアクセスできません.";
enum : int { kPrice = 1, kTime = 2, kTitle = 4 };

// An item page as the site serves it: lower-case HTML, rows on their own lines, entities.
std::u16string ItemPage(std::u16string_view price = u"12,000 円",
                        std::u16string_view timeLeft = u"45&nbsp;分") {
  return u"<html>\n<head>\n<title>Yahoo!オークション - Old camera</title>\n</head>\n<body>\n"
         u"<table border=0>\n<tr><td>出品者</td><td><a href=\"/s\">shop</a></td></tr>\n"
         u"<tr>\n<td>現在の価格</td>\n<td><b>" +
         std::u16string(price) + u"</b> (税込)</td>\n</tr>\n<tr><td>残り時間</td><td><b>" +
         std::u16string(timeLeft) +
         u"</b></td></tr>\n</table>\n<p>Copyright &copy; 2024</p>\n</body>\n</html>\n";
}

StatusFields Fields(int checks) {
  return {(checks & kPrice) != 0, (checks & kTime) != 0, (checks & kTitle) != 0};
}

std::u16string StatusOf(std::u16string_view page, int checks = kPrice | kTime | kTitle) {
  return AnalyzePage(page, Fields(checks)).status;
}

TEST(AnalyzePageTest, WorkedExampleInAnyCase) {
  const std::u16string mixed =
      u"<Html><Title>Yahoo!オークション - Old Camera</Title><Table><Tr><Td>現在の価格</Td>"
      u"<Td><B>12,000 円</b></tD><Td>残り時間</Td><Td><B>45&Nbsp;分</B></Td></Table></hTmL>";
  PageReading expected;
  expected.status = u"12,000 円/残り45分/OLD CAMERA";
  expected.price = u"12,000 円";
  expected.timePiece = u"/残り45分";
  for (const std::u16string& page : {ItemPage(), mixed}) {
    EXPECT_EQ(AnalyzePage(page, Fields(kPrice | kTime | kTitle)), expected);
  }
}

TEST(AnalyzePageTest, CheckBoxesChooseThePartsOfTheStatusLine) {
  const std::u16string p = u"12,000 円", t = u"/残り4分", n = u"/OLD CAMERA";
  const std::u16string statuses[8] = {u"", p, t, p + t, n, p + n, t + n, p + t + n};
  for (int checks = 0; checks < 8; ++checks) {
    SCOPED_TRACE(checks);
    const PageReading reading = AnalyzePage(ItemPage(u"12,000 円", u"4&nbsp;分"), Fields(checks));
    EXPECT_EQ(reading.status, statuses[checks]);
    // Only a shown price is read; the time left is read always, for the interval.
    EXPECT_EQ(reading.price.has_value(), (checks & kPrice) != 0);
    EXPECT_EQ(reading.timePiece, t);
    EXPECT_FALSE(reading.ended);
  }
}

TEST(AnalyzePageTest, SiteMessagesInEitherWidthEndTheAnalysis) {
  // The status when no message is found: the ended time left and the title's fallback.
  const std::u16string_view kAnalysed = u"/終了/HTML>\n";
  const struct {
    std::u16string body;
    bool closed;
    std::u16string_view status;
  } cases[] = {
      {u"IDとパスワードを入力してログインしてください", true, kLoginStatus},
      {u"IDとﾊﾟｽﾜｰﾄﾞを入力してﾛｸﾞｲﾝしてください", true, kLoginStatus},
      // Lower case, and kana with spacing sound marks as the decoder gives them.
      {u"ｉdとハ゜スワート゛を入力してロク゛インしてください", true, kLoginStatus},
      {u"IDとパスワードを入力してログインしてください", false, kLoginStatus},
      {u"指定されたドキュメントは存在しません IDとパスワードを入力してログインしてください", true,
       kLoginStatus},
      {u"指定されたドキュメントは存在しません", false, kNotLoaded},
      {u"指定されたドキュメントは存在しません", true, kNoSuchAuction},
      {u"指定されたﾄﾞｷｭﾒﾝﾄは存在しません", true, kNoSuchAuction},
      {u"アクセスできませんでした 指定されたドキュメントは存在しません", true, kNoSuchAuction},
      {u"アクセスできませんでした", true, kNoAccess},
      {u"ｱｸｾｽできませんでした", true, kNoAccess},
      {u"IDとパスワードを入力してログインして下さい", true, kAnalysed},
      {u"指定されたトキュメントは存在しません", true, kAnalysed},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.body) + (c.closed ? " closed" : ""));
    const PageReading reading = AnalyzePage(
        u"<html>\n<p>" + c.body +
            u"</p>\n<td>現在の価格</td><td><b>500 円</b></td><td>残り時間</td><td>終了</td>" +
            (c.closed ? u"</html>" : u""),
        Fields(kTime | kTitle));
    EXPECT_EQ(reading.status, c.status);
    EXPECT_EQ(reading.loginPage, c.status == kLoginStatus);
    // Only an analysed page has a time left, and here it has ended.
    EXPECT_EQ(reading.ended, c.status == kAnalysed);
    EXPECT_EQ(reading.timePiece.has_value(), c.status == kAnalysed);
  }
}

TEST(AnalyzePageTest, PiecesOfOddPages) {
  const struct {
    const char* name;
    int checks;
    std::u16string page;
    std::u16string status;
  } cases[] = {
      // Missing markers: the searches fall back to fixed positions.
      {"no price label: first bold cell", kPrice,
       u"<html><td><b>出品者</b></td><td>現在価格</td><td><b>500 円</b></td></html>", u"出品者"},
      {"no bold cell: from the seventh character", kPrice, u"0123456789</b>現在の価格</html>",
       u"6789"},
      {"no time label: first text of the page", kTime,
       u"<html><body>3&nbsp;日<br>残り<b>4分</b></html>", u"/残り3日"},
      {"no title tag: YAHOO from the seventh", kTitle,
       u"Yahoo - first<br>Yahoo - second<br></html>", u"/SECOND"},
      {"no YAHOO: dash from the fifth", kTitle, u"abcd-fghi<title>Camera - X</title></html>",
       u"/GHI"},
      {"no dash: title from the second", kTitle, u"<title>Yahoo! Camera</title></html>",
       u"/TITLE>YAHOO! CAMERA"},
      {"only the closing tag", kPrice | kTime | kTitle, u"</html>", u"/残り/"},
      // Entities in the time left: the first "&" up to the first ";" is dropped.
      {"two entities keep the second", kTime, u"</html>残り時間<b>1&nbsp;日&nbsp;</b>",
       u"/残り1日&NBSP;"},
      {"semicolon before the ampersand", kTime, u"</html>残り時間<td>A;B&C;D</td>",
       u"/残りA;BB&C;D"},
      {"semicolon without ampersand", kTime, u"</html>残り時間<td>1日;</td>", u"/残り1日;"},
      {"ampersand without semicolon", kTime, u"</html>残り時間<td>1&2日</td>", u"/残り1&2日"},
      // The search for "<" starts behind the label; white space between tags ends the skipping.
      {"text behind the label", kTime, u"</html>残り時間: </td><td>10分</td>", u"/残り10分"},
      {"white space between tags", kTime, u"</html>残り時間</td>\n<td>2日</td>", u"/残り\n"},
      // Closing searches that find nothing give empty pieces.
      {"no </b> behind the price", kPrice, u"<html><td>現在の価格<td><b>500 円</html>", u""},
      {"no < behind the time label", kTime, u"<html></html>残り時間 5分", u"/残り"},
      {"unclosed tag behind the label", kTime, u"</html>残り時間<td><b", u"/残り"},
      {"no < behind the time text", kTime, u"</html>残り時間<b>45分", u"/残り"},
      {"no < behind the title", kTitle, u"</html><title>Yahoo - Camera", u"/"},
      // What is copied out is upper-cased in full, full-width letters included.
      {"upper-cased price", kPrice, u"<td>現在の価格<td><b>us $5 ｕｓｄ</b></html>",
       u"US $5 ＵＳＤ"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(StatusOf(c.page, c.checks), c.status);
  }
}

TEST(AnalyzePageTest, AnEndedAuctionIsReadWhereverTheWordStands) {
  for (const std::u16string timeLeft : {u"このオークションは終了しました", u"3分 (終了間近)"}) {
    SCOPED_TRACE(::testing::PrintToString(timeLeft));
    const PageReading reading = AnalyzePage(ItemPage(u"1 円", timeLeft), Fields(kTime));
    EXPECT_EQ(reading.status, u"/終了");
    EXPECT_TRUE(reading.ended);
    EXPECT_EQ(reading.timePiece, u"/終了");
  }
}

TEST(AnalyzePageTest, MarkersAndSentencesAtEveryOffset) {
  // The page is scanned in blocks: what is looked for may sit anywhere in one, or at the end.
  const std::pair<std::u16string_view, std::u16string_view> pages[] = {
      {u"IDとパスワードを入力してログインしてください", kLoginStatus},
      {u"</html>ｱｸｾｽできませんでした", kNoAccess},
      {u"</html>残り時間<b>3日<", u"/残り3日"},  // the closing "<" as the last character
      {u"<td>現在の価格<td><b>7 円</b>残り時間<b>3日</b></html>アクセスできませんでし",
       u"7 円/残り3日"},
  };
  for (size_t pad = 0; pad < 70; ++pad) {
    for (const auto& [page, status] : pages) {
      SCOPED_TRACE(::testing::PrintToString(pad) + " " + ::testing::PrintToString(status));
      EXPECT_EQ(StatusOf(std::u16string(pad, u'x') + std::u16string(page), kPrice | kTime), status);
    }
  }
}

TEST(AnalyzePageTest, MarkersBeyond16BitPositions) {
  const std::u16string filler(33000, u'x');
  EXPECT_EQ(StatusOf(filler + u"<title>Yahoo!オークション - Lens</title>" + filler +
                     u"<td>現在の価格</td><td><b>3,000 円</b></td>" + filler +
                     u"<td>残り時間</td><td>2日</td>" + filler + u"</html>"),
            u"3,000 円/残り2日/LENS");
}

}  // namespace
}  // namespace lotwarden
