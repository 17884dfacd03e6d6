// Feeds arbitrary pages to AnalyzePage and checks its outcome against a plain reading of the
// same rules: upper-cased and half-width copies of the whole page, searched from the start.
//
// Input: byte 0 chooses the check boxes (bits 0-2), whether lastMinute is set (bit 3) and the
// slider (bits 4-7); byte 1 is savedInterval; byte 2 chooses how the rest becomes the page:
// even, as little-endian UTF-16 code units; odd, one piece per byte from a list of the markers
// and sentences that the analysis looks for, so that the deep branches are reached.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "monitor/japanese_text.h"
#include "monitor/page_analysis.h"
#include "tests/fake_window.h"

namespace {

using lotwarden::HalfWidth;
using lotwarden::UpperCase;

const std::u16string_view kPieces[] = {
    u"<html>\n",
    u"</html>",
    u"</HTML>",
    u"<td><b>",
    u"<TD><B>",
    u"</b>",
    u"</B>",
    u"<td>",
    u"</td>",
    u"現在の価格",
    u"残り時間",
    u"<title>",
    u"</title>",
    u"Yahoo!オークション",
    u"YAHOO",
    u" - ",
    u"-",
    u"<",
    u">",
    u"&nbsp;",
    u"&",
    u";",
    u"終了",
    u"分",
    u"秒",
    u"日",
    u"時間",
    u" ",
    u"\n",
    u"\t",
    u"45",
    u"5",
    u"1",
    u"0",
    u"-3",
    u"+",
    u"12,000 円",
    u"Old camera",
    u"IDとパスワードを入力してログインしてください",
    u"IDとﾊﾟｽﾜｰﾄﾞを入力してﾛｸﾞｲﾝしてください",
    u"ｉｄとハ゜スワート゛を入力してロク゛インしてください",
    u"パスワード",
    u"ﾊﾟｽﾜｰﾄﾞ",
    u"を入力して",
    u"指定されたドキュメントは存在しません",
    u"指定されたﾄﾞｷｭﾒﾝﾄは存在しません",
    u"ト゛キュメント",
    u"アクセスできませんでした",
    u"ｱｸｾｽできませんでした",
    u"できませんでした",
    u"ア",
    u"ｱ",
    u"ハ",
    u"゛",
    u"゜",
    u"ﾞ",
    u"ﾟ",
    u"と",
    u"で",
    u"入",
    u"指",
    u"id",
    u"ID",
    u"ｉ",
    u"ａｂｃ",
    u"αё",
    u"ⅰ",
};
constexpr std::size_t kPieceCount = sizeof(kPieces) / sizeof(kPieces[0]);

void Check(bool condition, const char* what) {
  if (!condition) {
    __builtin_printf("invariant broken: %s\n", what);
    std::abort();
  }
}

std::u16string PageFrom(const std::uint8_t* data, std::size_t size, bool pieces) {
  std::u16string page;
  if (pieces) {
    for (std::size_t i = 0; i < size; ++i) {
      if (data[i] < kPieceCount) {
        page += kPieces[data[i]];
      } else {
        page += static_cast<char16_t>(data[i] < 0x80 ? data[i] : 0x3000 + data[i]);
      }
    }
  } else {
    for (std::size_t i = 0; i + 1 < size; i += 2) {
      page += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    }
  }
  return page;
}

// The analysis written out plainly, with 1-based positions and 0 for "not found".
struct Reference {
  std::u16string t;

  std::size_t Find(std::u16string_view what, std::size_t from) const {
    if (from > t.size()) return 0;
    const std::size_t at = t.find(what, from - 1);
    return at == std::u16string::npos ? 0 : at + 1;
  }
  std::u16string Mid(std::size_t start, std::size_t count) const {
    return start > t.size() ? u"" : t.substr(start - 1, count);
  }
  // The text from `start` up to the next "<", or nothing when no "<" follows.
  std::u16string UpToTag(std::size_t start) const {
    const std::size_t end = Find(u"<", start);
    return end == 0 ? u"" : Mid(start, end - start);
  }

  std::u16string Price() const {
    const std::size_t start = Find(u"<TD><B>", Find(u"現在の価格", 1) + 1) + 7;
    const std::size_t end = Find(u"</B>", start);
    return end == 0 ? u"" : Mid(start, end - start);
  }
  std::u16string TimeLeft() const {
    std::size_t k = Find(u"<", Find(u"残り時間", 1) + 1);
    if (k == 0) return u"";
    while (k <= t.size() && t[k - 1] == u'<') {
      const std::size_t close = Find(u">", k);
      if (close == 0) return u"";
      k = close + 1;
    }
    std::u16string piece = UpToTag(k);
    const std::size_t semicolon = piece.find(u';');
    const std::size_t ampersand = piece.find(u'&');
    if (semicolon != std::u16string::npos && ampersand != std::u16string::npos) {
      piece = piece.substr(0, ampersand) + piece.substr(semicolon + 1);
    }
    return piece;
  }
  std::u16string Title() const {
    const std::size_t site = Find(u"YAHOO", Find(u"<TITLE>", 1) + 7) + 5;
    return UpToTag(Find(u"-", site) + 2);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return 0;
  lotwarden::testing::FakeWindow window;
  window.checks = {(data[0] & 1) != 0, (data[0] & 2) != 0, (data[0] & 4) != 0};
  window.slider = 1 + (data[0] >> 4) * 29 / 15;
  window.currentBid = u"400 円";
  lotwarden::MonitorState state;
  const auto fetch = lotwarden::MakeLocalTime(2024, 5, 1, 23, 50);
  if ((data[0] & 8) != 0) state.lastMinute = lotwarden::MinuteOf(fetch);
  state.savedInterval = static_cast<std::int8_t>(data[1]);
  state.alert = (data[1] & 1) != 0;
  const std::u16string page = PageFrom(data + 3, size - 3, (data[2] & 1) != 0);
  const lotwarden::MonitorState before = state;
  const int sliderBefore = window.slider;

  const std::u16string status = lotwarden::AnalyzePage(page, state, window, fetch);

  Check(window.slider >= 1 && window.slider <= 30, "slider within 1..30");
  for (const int request : window.sliderRequests) {
    Check(request >= 1 && request <= 30, "slider requests within 1..30");
  }
  Check(!before.alert || state.alert, "an alert is never cleared");
  Check(state.lastMinute == before.lastMinute, "lastMinute untouched");

  const Reference ref{UpperCase(page)};
  Check(ref.t.size() == page.size(), "upper-casing keeps the length");
  const std::u16string half = HalfWidth(ref.t);
  Check(half.size() >= page.size() && half.size() <= 2 * page.size(), "half-width length");
  auto has = [&half](std::u16string_view sentence) {
    return half.find(sentence) != std::u16string::npos;
  };

  std::u16string early;
  if (has(u"IDとﾊﾟｽﾜｰﾄﾞを入力してﾛｸﾞｲﾝしてください")) {
    early = u"YAHOO!オークションにログオンしてください．";
  } else if (ref.t.find(u"</HTML>") == std::u16string::npos) {
    early = u"ロードできていません.";
  } else if (has(u"指定されたﾄﾞｷｭﾒﾝﾄは存在しません")) {
    early = u"オークションが存在しません.";
  } else if (has(u"ｱｸｾｽできませんでした")) {
    early = u"オークションにアクセスできません.";
  }
  const bool login = early == u"YAHOO!オークションにログオンしてください．";
  Check(window.openUrlCalls == (login ? 1 : 0), "the browser opens for the login page only");
  if (!early.empty()) {
    Check(status == early, "site message");
    Check(window.sliderRequests.empty() && window.currentBid == u"400 円" &&
              state.alert == before.alert && state.nextCheck == before.nextCheck,
          "nothing changes on a site message");
    return 0;
  }

  std::u16string expected;
  if (window.checks[0]) {
    const std::u16string price = ref.Price();
    Check(window.currentBid == price, "the price becomes the caption");
    Check(state.alert == (before.alert || price != u"400 円"), "a new price raises the alert");
    expected = price;
  } else {
    Check(window.currentBid == u"400 円" && state.alert == before.alert,
          "an unchecked price changes nothing");
  }
  std::u16string piece = ref.TimeLeft();
  const bool ended = piece.find(u"終了") != std::u16string::npos;
  piece = ended ? u"/終了" : u"/残り" + piece;
  if (ended) {
    Check(window.sliderRequests.size() == 1 &&
              window.sliderRequests[0] == lotwarden::ClampInterval(before.savedInterval),
          "an ended auction puts the saved interval back");
  } else if (window.sliderRequests.empty()) {
    Check(state.nextCheck == before.nextCheck && window.slider == sliderBefore,
          "no reschedule without a new interval");
  } else {
    Check(window.sliderRequests.size() == 1 && window.slider <= sliderBefore,
          "the interval only shrinks");
    const auto from = before.lastMinute.value_or(lotwarden::MinuteOf(fetch));
    Check(state.nextCheck == from + std::chrono::minutes{window.slider},
          "rescheduled from the minute of the fetch");
  }
  if (window.checks[1]) expected += piece;
  if (window.checks[2]) expected += u"/" + ref.Title();
  Check(status == expected, "status line");
  return 0;
}
