// SPDX-License-Identifier: MIT
// Feeds arbitrary pages to AnalyzePage and checks it against a plain reading of the same rules
// on upper-cased and half-width copies of the whole page.
// Byte 0: the status fields (bits 0-2); byte 1 odd: the rest picks pieces below (markers,
// sentences), even: the rest is little-endian UTF-16.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string>
#include <string_view>

#include "monitor/japanese_text.h"
#include "monitor/page_analysis.h"

namespace {

using lotwarden::UpperCase;
using std::u16string;

// clang-format off
const std::u16string_view kPieces[] = {
    u"<html>\n", u"</html>", u"</HTML>", u"<td><b>", u"<TD><B>", u"</b>", u"</B>", u"<td>",
    u"</td>", u"現在の価格", u"残り時間", u"<title>", u"</title>", u"Yahoo!オークション", u"YAHOO",
    u" - ", u"-", u"<", u">", u"&nbsp;", u"&", u";", u"終了", u"分", u"秒", u"日", u"時間", u" ",
    u"\n", u"\t", u"45", u"5", u"1", u"0", u"-3", u"+", u"12,000 円", u"Old camera",
    u"IDとパスワードを入力してログインしてください", u"IDとﾊﾟｽﾜｰﾄﾞを入力してﾛｸﾞｲﾝしてください",
    u"ｉｄとハ゜スワート゛を入力してロク゛インしてください", u"パスワード", u"ﾊﾟｽﾜｰﾄﾞ",
    u"を入力して", u"指定されたドキュメントは存在しません", u"指定されたﾄﾞｷｭﾒﾝﾄは存在しません",
    u"ト゛キュメント", u"アクセスできませんでした", u"ｱｸｾｽできませんでした", u"できませんでした",
    u"ア", u"ｱ", u"ハ", u"゛", u"゜", u"ﾞ", u"ﾟ", u"と", u"で", u"入", u"指", u"id", u"ID", u"ｉ",
    u"ａｂｃ", u"αё", u"ⅰ",
};
// clang-format on
constexpr std::size_t kPieceCount = std::size(kPieces);

void Check(bool condition, const char* what) {
  if (!condition) {
    __builtin_printf("invariant broken: %s\n", what);
    std::abort();
  }
}

u16string PageFrom(const std::uint8_t* data, std::size_t size, bool pieces) {
  u16string page;
  for (std::size_t i = 0; pieces && i < size; ++i) {
    if (data[i] < kPieceCount)
      page += kPieces[data[i]];
    else
      page += static_cast<char16_t>(data[i] < 0x80 ? data[i] : 0x3000 + data[i]);
  }
  for (std::size_t i = 0; !pieces && i + 1 < size; i += 2)
    page += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
  return page;
}

// The analysis written out plainly on the upper-cased page, with 1-based positions, 0 for none.
struct Reference {
  u16string t;

  std::size_t Find(std::u16string_view what, std::size_t from) const {
    const std::size_t at = from > t.size() ? u16string::npos : t.find(what, from - 1);
    return at == u16string::npos ? 0 : at + 1;
  }
  // The text from `start` up to the next "<", or nothing when no "<" follows.
  u16string UpTo(std::size_t start, std::u16string_view end = u"<") const {
    const std::size_t e = Find(end, start);
    return e == 0 ? u"" : t.substr(start - 1, e - start);
  }
  u16string Price() const {
    return UpTo(Find(u"<TD><B>", Find(u"現在の価格", 1) + 1) + 7, u"</B>");
  }
  u16string TimeLeft() const {
    std::size_t k = Find(u"<", Find(u"残り時間", 1) + 1);
    while (k != 0 && k <= t.size() && t[k - 1] == u'<') {
      const std::size_t close = Find(u">", k);  // an unclosed tag leaves no text
      k = close == 0 ? 0 : close + 1;
    }
    u16string piece = k == 0 ? u"" : UpTo(k);
    const std::size_t semicolon = piece.find(u';'), ampersand = piece.find(u'&');
    if (semicolon != u16string::npos && ampersand != u16string::npos)
      piece = piece.substr(0, ampersand) + piece.substr(semicolon + 1);
    return piece;
  }
  u16string Title() const {
    return UpTo(Find(u"-", Find(u"YAHOO", Find(u"<TITLE>", 1) + 7) + 5) + 2);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const lotwarden::StatusFields fields{(data[0] & 1) != 0, (data[0] & 2) != 0, (data[0] & 4) != 0};
  const u16string page = PageFrom(data + 2, size - 2, (data[1] & 1) != 0);

  const lotwarden::PageReading reading = lotwarden::AnalyzePage(page, fields);

  const Reference ref{UpperCase(page)};
  Check(ref.t.size() == page.size(), "upper-casing keeps the length");
  const u16string half = lotwarden::HalfWidth(ref.t);
  auto has = [&half](std::u16string_view s) { return half.find(s) != u16string::npos; };
  lotwarden::PageReading expected;
  if (has(u"IDとﾊﾟｽﾜｰﾄﾞを入力してﾛｸﾞｲﾝしてください")) {
    expected.status = u"YAHOO!オークションにログオンしてください．";
    expected.loginPage = true;
  } else if (ref.t.find(u"</HTML>") == u16string::npos) {
    expected.status = u"ロードできていません.";
  } else if (has(u"指定されたﾄﾞｷｭﾒﾝﾄは存在しません")) {
    expected.status = u"オークションが存在しません.";
  } else if (has(u"ｱｸｾｽできませんでした")) {
    expected.status = u"オークションにアクセスできません.";
  } else {
    if (fields.price) expected.price = expected.status = ref.Price();
    const u16string piece = ref.TimeLeft();
    expected.ended = piece.find(u"終了") != u16string::npos;
    expected.timePiece = expected.ended ? u"/終了" : u"/残り" + piece;
    if (fields.timeLeft) expected.status += *expected.timePiece;
    if (fields.title) expected.status += u"/" + ref.Title();
  }
  Check(reading == expected, "the reading");
  return 0;
}
