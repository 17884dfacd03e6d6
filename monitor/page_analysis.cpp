#include "monitor/page_analysis.h"

#include "monitor/interval.h"
#include "monitor/japanese_text.h"

namespace lotwarden {
namespace {

// The site's own sentences, in half-width form; the page may spell their katakana in either
// width.
constexpr std::u16string_view kLoginPage = u"IDとﾊﾟｽﾜｰﾄﾞを入力してﾛｸﾞｲﾝしてください";
constexpr std::u16string_view kNoSuchAuction = u"指定されたﾄﾞｷｭﾒﾝﾄは存在しません";
constexpr std::u16string_view kNoAccess = u"ｱｸｾｽできませんでした";

// A match in the half-width form always starts at the base of a character's form, never at a
// sound mark that follows it, so each position of the page is tried once.
constexpr bool StartsWithBase(std::u16string_view sentence) {
  return sentence.front() != u'ﾞ' && sentence.front() != u'ﾟ';
}
static_assert(StartsWithBase(kLoginPage) && StartsWithBase(kNoSuchAuction) &&
              StartsWithBase(kNoAccess));

// Whether the half-width form of `text` from position `at` (0-based) starts with `sentence`.
bool HalfWidthStartsWith(std::u16string_view text, size_t at, std::u16string_view sentence) {
  size_t matched = 0;
  for (; at < text.size(); ++at) {
    const HalfWidthForm form = HalfWidthOf(text[at]);
    if (form.base != sentence[matched]) return false;
    if (++matched == sentence.size()) return true;
    if (form.mark != 0) {
      if (form.mark != sentence[matched]) return false;
      if (++matched == sentence.size()) return true;
    }
  }
  return false;
}

struct SiteMessages {
  bool loginPage = false;
  bool noSuchAuction = false;
  bool noAccess = false;
};

// Looks for the three sentences in the half-width form of `text` in one pass, converting
// characters as they are compared instead of building that form.
SiteMessages FindSiteMessages(std::u16string_view text) {
  SiteMessages found;
  for (size_t at = 0; at < text.size(); ++at) {
    const char16_t c = text[at];
    const char16_t first = c < 0x3000 ? c : HalfWidthOf(c).base;
    if (first == kLoginPage.front()) {
      found.loginPage = found.loginPage || HalfWidthStartsWith(text, at, kLoginPage);
    } else if (first == kNoSuchAuction.front()) {
      found.noSuchAuction = found.noSuchAuction || HalfWidthStartsWith(text, at, kNoSuchAuction);
    } else if (first == kNoAccess.front()) {
      found.noAccess = found.noAccess || HalfWidthStartsWith(text, at, kNoAccess);
    }
  }
  return found;
}

// The upper-cased page, read with 1-based positions where 0 means "not found", so that the
// fixed offsets taken after a missing marker fall where they belong.
class PageText {
 public:
  explicit PageText(std::u16string_view text) : text_(text) {}

  size_t size() const { return text_.size(); }
  char16_t At(size_t position) const { return text_[position - 1]; }

  // The first occurrence of `what` starting at `from` or later.
  template <typename What>
  size_t Find(What what, size_t from) const {
    if (from > text_.size()) return 0;
    const size_t at = text_.find(what, from - 1);
    return at == std::u16string_view::npos ? 0 : at + 1;
  }

  // `count` characters from `start`; shorter where the text ends first.
  std::u16string_view Mid(size_t start, size_t count) const {
    if (start > text_.size()) return {};
    return text_.substr(start - 1, count);
  }

 private:
  std::u16string_view text_;
};

constexpr size_t kCellLength = std::u16string_view{u"<TD><B>"}.size();
constexpr size_t kTitleTagLength = std::u16string_view{u"<TITLE>"}.size();
constexpr size_t kSiteNameLength = std::u16string_view{u"YAHOO"}.size();

// The bold cell after the price label.
std::u16string_view PriceOf(const PageText& page) {
  const size_t label = page.Find(u"現在の価格", 1);
  const size_t start = page.Find(u"<TD><B>", label + 1) + kCellLength;
  const size_t end = page.Find(u"</B>", start);
  return end == 0 ? std::u16string_view{} : page.Mid(start, end - start);
}

// The first text after the run of tags that follows the time-left label.
std::u16string_view TimeLeftOf(const PageText& page) {
  const size_t label = page.Find(u"残り時間", 1);
  size_t start = page.Find(u'<', label + 1);
  if (start == 0) return {};
  while (start <= page.size() && page.At(start) == u'<') {
    const size_t close = page.Find(u'>', start);
    if (close == 0) return {};  // an unclosed tag: no text follows it
    start = close + 1;
  }
  const size_t end = page.Find(u'<', start);
  return end == 0 ? std::u16string_view{} : page.Mid(start, end - start);
}

// Drops the first entity: the part before the first "&" joined to the part after the first
// ";" (such as the non-breaking space between number and unit).
std::u16string WithoutFirstEntity(std::u16string_view piece) {
  const size_t semicolon = piece.find(u';');
  const size_t ampersand = piece.find(u'&');
  if (semicolon == std::u16string_view::npos || ampersand == std::u16string_view::npos) {
    return std::u16string{piece};
  }
  std::u16string joined{piece.substr(0, ampersand)};
  joined += piece.substr(semicolon + 1);
  return joined;
}

// The title's text after "Yahoo!... - ", up to the next tag.
std::u16string_view TitleOf(const PageText& page) {
  const size_t afterTag = page.Find(u"<TITLE>", 1) + kTitleTagLength;
  const size_t afterSite = page.Find(u"YAHOO", afterTag) + kSiteNameLength;
  const size_t dash = page.Find(u'-', afterSite);
  // The dash and the space behind it are not part of the title.
  const size_t end = page.Find(u'<', dash + 2);
  return end == 0 ? std::u16string_view{} : page.Mid(dash + 2, end - dash - 2);
}

}  // namespace

std::u16string AnalyzePage(std::u16string_view page, MonitorState& state, WindowControls& window,
                           LocalSeconds now) {
  const std::u16string upper = UpperCase(page);
  const SiteMessages messages = FindSiteMessages(upper);
  // The login page may come without "</HTML>"; it is recognised first.
  if (messages.loginPage) {
    window.OpenUrl();
    return u"YAHOO!オークションにログオンしてください．";
  }
  // The closing tag is near the end of a whole page, so look for it from there.
  if (upper.rfind(u"</HTML>") == std::u16string::npos) return u"ロードできていません.";
  if (messages.noSuchAuction) return u"オークションが存在しません.";
  if (messages.noAccess) return u"オークションにアクセスできません.";

  const PageText text{upper};
  std::u16string status;
  if (window.IsChecked(0)) {
    const std::u16string price{PriceOf(text)};
    // The current-bid caption is the only record of the last price seen.
    if (price != window.CurrentBidCaption()) {
      state.alert = true;
      window.SetCurrentBidCaption(price);
    }
    status = price;
  }

  std::u16string piece = WithoutFirstEntity(TimeLeftOf(text));
  if (piece.find(u"終了") != std::u16string::npos) {
    piece = u"/終了";
    SetInterval(window, state.savedInterval);
  } else {
    piece.insert(0, u"/残り");
  }
  AdaptInterval(piece, state, window, now);
  if (window.IsChecked(1)) status += piece;

  if (window.IsChecked(2)) {
    status += u'/';
    status += TitleOf(text);
  }
  return status;
}

}  // namespace lotwarden
