#include "monitor/page_analysis.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "tests/fake_window.h"

namespace lotwarden {
namespace {

using std::chrono::minutes;
using testing::FakeWindow;

const LocalMinute kFetchMinute = MinuteOf(MakeLocalTime(2024, 5, 1, 9, 58));
const LocalMinute kPlannedCheck = MinuteOf(MakeLocalTime(2024, 5, 1, 10, 3));
const LocalSeconds kNow = MakeLocalTime(2024, 5, 1, 9, 58, 40);

constexpr std::u16string_view kLoginStatus = u"YAHOO!オークションにログオンしてください．";
constexpr std::u16string_view kNotLoaded = u"ロードできていません.";
constexpr std::u16string_view kNoSuchAuction = u"オークションが存在しません.";
constexpr std::u16string_view kNoAccess = u"オークションにアクセスできません.";

// An item page laid out as the site serves it: lower-case HTML, rows on their own lines, the
// price in a bold cell and the time left right behind its label's tags.
std::u16string ItemPage(std::u16string_view price = u"12,000 円",
                        std::u16string_view timeLeft = u"45&nbsp;分",
                        std::u16string_view title = u"Old camera") {
  std::u16string page =
      u"<html>\n<head>\n"
      u"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=euc-jp\">\n"
      u"<title>Yahoo!オークション - ";
  page += title;
  page +=
      u"</title>\n</head>\n<body bgcolor=\"#ffffff\">\n"
      u"<table border=0 cellspacing=0>\n"
      u"<tr><td>出品者</td><td><a href=\"/seller\">camera_shop</a></td></tr>\n"
      u"<tr>\n<td>現在の価格</td>\n<td><b>";
  page += price;
  page +=
      u"</b> (税込)</td>\n</tr>\n"
      u"<tr><td>入札件数</td><td>3</td></tr>\n"
      u"<tr><td>残り時間</td><td><b>";
  page += timeLeft;
  page +=
      u"</b></td></tr>\n"
      u"</table>\n<p>Copyright &copy; 2024 Yahoo Japan Corporation. All Rights Reserved.</p>\n"
      u"</body>\n</html>\n";
  return page;
}

// The analysis with its window and state, set up as after a fetch started at 9:58.
struct Analysis {
  FakeWindow window;
  MonitorState state;
  std::u16string status;

  Analysis() {
    state.lastMinute = kFetchMinute;
    state.nextCheck = kPlannedCheck;
  }
  Analysis& Checks(bool price, bool time, bool title) {
    window.checks = {price, time, title};
    return *this;
  }
  Analysis& Run(std::u16string_view page) {
    status = AnalyzePage(page, state, window, kNow);
    return *this;
  }
};

TEST(AnalyzePageTest, WorkedExample) {
  Analysis a;
  a.Checks(true, true, true).Run(ItemPage());
  EXPECT_EQ(a.status, u"12,000 円/残り45分/OLD CAMERA");
  EXPECT_TRUE(a.state.alert);
  EXPECT_EQ(a.window.currentBid, u"12,000 円");
  // 45 minutes left is more than the interval of 5: the schedule stays.
  EXPECT_EQ(a.window.slider, 5);
  EXPECT_EQ(a.state.nextCheck, kPlannedCheck);
  EXPECT_EQ(a.window.openUrlCalls, 0);
}

TEST(AnalyzePageTest, CheckBoxesChooseThePartsOfTheStatusLine) {
  const struct {
    std::array<bool, 3> checks;
    std::u16string status;
  } cases[] = {
      {{false, false, false}, u""},
      {{true, false, false}, u"12,000 円"},
      {{false, true, false}, u"/残り4分"},
      {{false, false, true}, u"/OLD CAMERA"},
      {{true, true, false}, u"12,000 円/残り4分"},
      {{true, false, true}, u"12,000 円/OLD CAMERA"},
      {{false, true, true}, u"/残り4分/OLD CAMERA"},
      {{true, true, true}, u"12,000 円/残り4分/OLD CAMERA"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.status));
    Analysis a;
    a.Checks(c.checks[0], c.checks[1], c.checks[2]).Run(ItemPage(u"12,000 円", u"4&nbsp;分"));
    EXPECT_EQ(a.status, c.status);
    // Only a price that was read can raise the alert and become the caption.
    EXPECT_EQ(a.state.alert, c.checks[0]);
    EXPECT_EQ(a.window.currentBid, c.checks[0] ? u"12,000 円" : u"");
    // The time left adapts the interval whether or not it is shown: 4 minutes halve 5 to 2.
    EXPECT_EQ(a.window.slider, 2);
    EXPECT_EQ(a.state.nextCheck, kFetchMinute + minutes{2});
  }
}

TEST(AnalyzePageTest, SiteMessagesInEitherWidthEndTheAnalysis) {
  // Each page also carries an item's price and an ended time left, so any step taken after the
  // message would show in the alert, the caption or the slider.
  const std::u16string itemParts =
      u"<table><tr><td>現在の価格</td><td><b>500 円</b></td></tr>"
      u"<tr><td>残り時間</td><td>終了</td></tr></table>";
  // The status of such a page when no message is found: the ended time left, and the title
  // taken from the second character, as the page has no title and no dash.
  const std::u16string_view kAnalysed = u"/終了/HTML>\n";
  const struct {
    const char* name;
    std::u16string body;
    bool closed;
    std::u16string_view status;
    int openUrlCalls;
  } cases[] = {
      {"login, full width", u"IDとパスワードを入力してログインしてください", true, kLoginStatus, 1},
      {"login, half width", u"IDとﾊﾟｽﾜｰﾄﾞを入力してﾛｸﾞｲﾝしてください", true, kLoginStatus, 1},
      {"login, mixed widths and lower case", u"ｉdとパスﾜｰドを入力してﾛグインしてください", true,
       kLoginStatus, 1},
      // Half-width kana as the decoder gives them: full-width kana with spacing sound marks.
      {"login, separate sound marks", u"IDとハ゜スワート゛を入力してロク゛インしてください", true,
       kLoginStatus, 1},
      {"login without </html>", u"IDとパスワードを入力してログインしてください", false,
       kLoginStatus, 1},
      {"login before the error pages",
       u"指定されたドキュメントは存在しません IDとパスワードを入力してログインしてください", true,
       kLoginStatus, 1},
      {"not loaded", u"指定されたドキュメントは存在しません", false, kNotLoaded, 0},
      {"empty", u"", false, kNotLoaded, 0},
      {"no such auction, full width", u"指定されたドキュメントは存在しません", true, kNoSuchAuction,
       0},
      {"no such auction, half width", u"指定されたﾄﾞｷｭﾒﾝﾄは存在しません", true, kNoSuchAuction, 0},
      {"no such auction before no access",
       u"アクセスできませんでした 指定されたドキュメントは存在しません", true, kNoSuchAuction, 0},
      {"no access, full width", u"アクセスできませんでした", true, kNoAccess, 0},
      {"no access, half width", u"ｱｸｾｽできませんでした", true, kNoAccess, 0},
      {"no access, across a line break", u"ア\nクセスできませんでした", true, kAnalysed, 0},
      {"login sentence cut short", u"IDとパスワードを入力してログインして下さい", true, kAnalysed,
       0},
      {"voiced kana without its mark", u"指定されたトキュメントは存在しません", true, kAnalysed, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::u16string page = u"<html>\n<body>\n<p>" + c.body + u"</p>\n" + itemParts;
    if (c.closed) page += u"</body></html>";
    if (c.body.empty() && !c.closed) page.clear();
    Analysis a;
    a.window.slider = 7;
    a.state.savedInterval = 20;
    a.Checks(false, true, true).Run(page);
    EXPECT_EQ(a.status, c.status);
    EXPECT_EQ(a.window.openUrlCalls, c.openUrlCalls);
    EXPECT_FALSE(a.state.alert);
    EXPECT_EQ(a.window.currentBid, u"");
    // An analysed page reaches the ended time left and puts the saved interval back.
    const bool analysed = c.status == kAnalysed;
    EXPECT_EQ(a.window.slider, analysed ? 20 : 7);
    EXPECT_EQ(a.state.nextCheck, kPlannedCheck);
  }
}

TEST(AnalyzePageTest, HtmlInAnyCase) {
  const std::u16string lower = ItemPage();
  const std::u16string upper =
      u"<HTML><HEAD><TITLE>YAHOO!オークション - OLD CAMERA</TITLE></HEAD><BODY>"
      u"<TABLE><TR><TD>現在の価格</TD><TD><B>12,000 円</B></TD></TR>"
      u"<TR><TD>残り時間</TD><TD><B>45&NBSP;分</B></TD></TR></TABLE></BODY></HTML>";
  const std::u16string mixed =
      u"<Html><Head><Title>Yahoo!オークション - Old Camera</Title></Head><Body>"
      u"<Table><Tr><Td>現在の価格</Td><Td><B>12,000 円</b></tD></Tr>"
      u"<Tr><Td>残り時間</Td><Td><B>45&Nbsp;分</B></Td></Tr></Table></Body></hTmL>";
  for (const std::u16string* page : {&lower, &upper, &mixed}) {
    Analysis a;
    a.Checks(true, true, true).Run(*page);
    EXPECT_EQ(a.status, u"12,000 円/残り45分/OLD CAMERA");
  }
}

TEST(AnalyzePageTest, TextIsCopiedUpperCased) {
  Analysis a;
  a.Checks(true, true, true).Run(ItemPage(u"US $12.50 ｕｓｄ", u"3 days", u"Ёлка ｔｏｙ αβ"));
  EXPECT_EQ(a.status, u"US $12.50 ＵＳＤ/残り3 DAYS/ЁЛКА ＴＯＹ ΑΒ");
  EXPECT_EQ(a.window.currentBid, u"US $12.50 ＵＳＤ");
}

TEST(AnalyzePageTest, MissingMarkersFallBackToFixedPositions) {
  const struct {
    const char* name;
    std::array<bool, 3> checks;
    std::u16string page;
    std::u16string status;
  } cases[] = {
      {"no price label: the first bold cell",
       {true, false, false},
       u"<html><table><tr><td><b>出品者</b></td><td>現在価格</td><td><b>500 円</b></td></tr>"
       u"</table></html>",
       u"出品者"},
      {"no bold cell: from the seventh character",
       {true, false, false},
       u"0123456789</b>現在の価格<td><i>500</i></html>",
       u"6789"},
      {"no time label: the first text of the page",
       {false, true, false},
       u"<html><body>3&nbsp;日<br>残り<b>4分</b></body></html>",
       u"/残り3日"},
      {"no title tag: YAHOO from the seventh character",
       {false, false, true},
       u"Yahoo - first<br>Yahoo - second<br></html>",
       u"/SECOND"},
      {"no YAHOO: the dash from the fifth character",
       {false, false, true},
       u"abcd-fghi<title>Camera - X-ray</title></html>",
       u"/GHI"},
      {"no dash: the title from the second character",
       {false, false, true},
       u"<title>Yahoo! Camera</title></html>",
       u"/TITLE>YAHOO! CAMERA"},
      {"nothing but the closing tag", {true, true, true}, u"</html>", u"/残り/"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Analysis a;
    a.Checks(c.checks[0], c.checks[1], c.checks[2]).Run(c.page);
    EXPECT_EQ(a.status, c.status);
  }
}

TEST(AnalyzePageTest, TimeLeftPiece) {
  const struct {
    const char* name;
    std::u16string afterLabel;  // the page text right behind "残り時間"
    std::u16string piece;
  } cases[] = {
      {"entity between number and unit", u"</td><td><b>45&nbsp;分</b>", u"/残り45分"},
      {"two entities keep the second", u"</td><td><b>1&nbsp;日&nbsp;</b>", u"/残り1日&NBSP;"},
      {"semicolon before the ampersand", u"</td><td>A;B&C;D</td>", u"/残りA;BB&C;D"},
      {"semicolon without ampersand", u"</td><td>1日;</td>", u"/残り1日;"},
      {"ampersand without semicolon", u"</td><td>1&2日</td>", u"/残り1&2日"},
      {"inner space kept", u"</td><td>3 日</td>", u"/残り3 日"},
      {"text right behind the label", u"は 2日</td>", u"/残り"},
      {"white space between tags stops the skipping", u"</td>\n<td><b>2日</b>", u"/残り\n"},
      {"many tags", u"</td><td><font size=\"2\"><b><span class=\"t\">5時間</span>", u"/残り5時間"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Analysis a;
    a.window.slider = 30;
    a.Checks(false, true, false)
        .Run(u"<html><table><tr><td>残り時間" + c.afterLabel + u"</td></tr></table></html>");
    EXPECT_EQ(a.status, c.piece);
  }
}

TEST(AnalyzePageTest, PieceWithTheLabelTextBeforeTheFirstTag) {
  // "残り時間" followed by plain text: the search for "<" starts behind the label's first
  // character, so the run of tags after the text is skipped and the next text is taken.
  Analysis a;
  a.Checks(false, true, false).Run(u"<html><td>残り時間: </td><td>10分</td><td>x</td></html>");
  EXPECT_EQ(a.status, u"/残り10分");
}

TEST(AnalyzePageTest, TimeLeftReachesTheIntervalAdaptation) {
  Analysis a;
  a.window.slider = 30;
  a.Checks(false, false, false).Run(ItemPage(u"1 円", u"20&nbsp;分"));
  EXPECT_EQ(a.status, u"");
  EXPECT_EQ(a.window.slider, 10);
  EXPECT_EQ(a.state.nextCheck, kFetchMinute + minutes{10});
}

TEST(AnalyzePageTest, PriceComparedWithTheCurrentBidCaption) {
  const struct {
    const char* name;
    std::u16string caption;
    bool alertBefore;
    bool priceChecked;
    std::u16string price;
    std::u16string captionAfter;
    bool alertAfter;
  } cases[] = {
      {"first price", u"", false, true, u"12,000 円", u"12,000 円", true},
      {"same price", u"12,000 円", false, true, u"12,000 円", u"12,000 円", false},
      {"same price keeps a standing alert", u"12,000 円", true, true, u"12,000 円", u"12,000 円",
       true},
      {"new price", u"12,000 円", false, true, u"12,500 円", u"12,500 円", true},
      {"empty price after a price", u"12,000 円", false, true, u"", u"", true},
      {"empty price, empty caption", u"", false, true, u"", u"", false},
      {"unchecked box", u"12,000 円", false, false, u"13,000 円", u"12,000 円", false},
      {"unchecked box, empty caption", u"", false, false, u"13,000 円", u"", false},
      {"caption compared with the upper-cased price", u"us $5", false, true, u"us $5", u"US $5",
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Analysis a;
    a.window.currentBid = c.caption;
    a.state.alert = c.alertBefore;
    a.Checks(c.priceChecked, false, false).Run(ItemPage(c.price));
    EXPECT_EQ(a.window.currentBid, c.captionAfter);
    EXPECT_EQ(a.state.alert, c.alertAfter);
    EXPECT_EQ(a.status, c.priceChecked ? c.captionAfter : u"");
  }
}

TEST(AnalyzePageTest, EndedAuctionPutsTheSavedIntervalBack) {
  const struct {
    const char* name;
    std::u16string timeLeft;
    std::int16_t savedInterval;
    int slider;
  } cases[] = {
      {"ended", u"終了", 10, 10},
      {"ended within a longer text", u"このオークションは終了しました", 15, 15},
      {"minutes and ended", u"3分 (終了間近)", 12, 12},
      {"never went to the tray", u"終了", 0, 1},
      {"saved above the range", u"終了", 45, 30},
      {"saved below the range", u"終了", -3, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Analysis a;
    a.window.slider = 2;
    a.state.savedInterval = c.savedInterval;
    a.Checks(false, true, false).Run(ItemPage(u"1 円", c.timeLeft));
    EXPECT_EQ(a.status, u"/終了");
    EXPECT_EQ(a.window.slider, c.slider);
    EXPECT_EQ(a.window.sliderRequests, std::vector<int>{c.slider});
    EXPECT_EQ(a.state.nextCheck, kPlannedCheck);
  }
}

TEST(AnalyzePageTest, ClosingSearchesThatFindNothingGiveEmptyPieces) {
  const struct {
    const char* name;
    std::array<bool, 3> checks;
    std::u16string page;
    std::u16string status;
  } cases[] = {
      {"no </b> behind the price",
       {true, false, false},
       u"<html><td>現在の価格<td><b>500 円</html>",
       u""},
      {"no < behind the time label", {false, true, false}, u"<html></html>残り時間 5分", u"/残り"},
      {"unclosed tag behind the time label", {false, true, false}, u"</html>残り時間<td", u"/残り"},
      {"unclosed tag after other tags", {false, true, false}, u"</html>残り時間<td><b", u"/残り"},
      {"no < behind the time text", {false, true, false}, u"</html>残り時間<b>45分", u"/残り"},
      {"no < behind the title", {false, false, true}, u"</html><title>Yahoo - Camera", u"/"},
      {"title tag at the very end", {false, false, true}, u"</html><title>", u"//HTML>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Analysis a;
    a.window.currentBid = u"400 円";
    a.window.slider = 30;
    a.Checks(c.checks[0], c.checks[1], c.checks[2]).Run(c.page);
    EXPECT_EQ(a.status, c.status);
    EXPECT_EQ(a.window.slider, 30);
  }
}

TEST(AnalyzePageTest, MarkersAndSentencesAtEveryOffset) {
  // The page is scanned in blocks; what is looked for may start or end anywhere in one, or at
  // either end of the page.
  for (size_t pad = 0; pad < 70; ++pad) {
    SCOPED_TRACE(pad);
    const std::u16string padding(pad, u'x');
    {
      Analysis a;
      a.Run(padding + u"IDとパスワードを入力してログインしてください");
      EXPECT_EQ(a.status, kLoginStatus);
    }
    {
      Analysis a;
      a.Run(padding + u"</html>ｱｸｾｽできませんでした");
      EXPECT_EQ(a.status, kNoAccess);
    }
    {
      Analysis a;
      a.Run(padding +
            u"<td>現在の価格<td><b>7 円</b>残り時間<b>3日</b></html>アクセスできませんでし");
      EXPECT_EQ(a.status, u"7 円/残り3日");
    }
  }
}

TEST(AnalyzePageTest, LongPagesAreReadWhole) {
  // Markers far beyond any 16-bit position.
  std::u16string filler;
  for (int i = 0; i < 6000; ++i)
    filler += u"<tr><td>item</td></tr>\n";
  const std::u16string page = u"<html><head><title>Yahoo!オークション - Lens</title></head>" +
                              filler + u"<td>現在の価格</td><td><b>3,000 円</b></td>" + filler +
                              u"<td>残り時間</td><td>2日</td>" + filler + u"</html>";
  ASSERT_GT(page.size(), 200000u);
  Analysis a;
  a.Checks(true, true, true).Run(page);
  EXPECT_EQ(a.status, u"3,000 円/残り2日/LENS");
}

}  // namespace
}  // namespace lotwarden
