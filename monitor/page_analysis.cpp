// SPDX-License-Identifier: MIT
#include "monitor/page_analysis.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

#include "monitor/japanese_text.h"

namespace lotwarden {
namespace {

constexpr size_t kNotFound = std::u16string_view::npos;

// Pages run to some hundred thousand characters and are searched several times, so the scans
// test fixed-size blocks for any of a few characters in a form that vectorises, and look at
// single characters only inside a block that holds one.
constexpr size_t kBlock = 32;

// One comparison per wanted character, written out, so that the loop over the block is the one
// that vectorises.
template <size_t N, size_t... K>
bool BlockHoldsAny(const char16_t* block, const std::array<char16_t, N>& wanted,
                   std::index_sequence<K...>) {
  std::uint16_t hits = 0;
  for (size_t j = 0; j < kBlock; ++j) {
    hits = static_cast<std::uint16_t>(hits |
                                      (... | static_cast<std::uint16_t>(block[j] == wanted[K])));
  }
  return hits != 0;
}

template <size_t N>
bool BlockHoldsAny(const char16_t* block, const std::array<char16_t, N>& wanted) {
  return BlockHoldsAny(block, wanted, std::make_index_sequence<N>{});
}

// The position of the first of the `wanted` characters at or after `from`, or kNotFound.
template <size_t N>
size_t FindAnyOf(std::u16string_view text, const std::array<char16_t, N>& wanted, size_t from) {
  size_t at = from;
  while (at + kBlock <= text.size() && !BlockHoldsAny(text.data() + at, wanted))
    at += kBlock;
  for (; at < text.size(); ++at) {
    for (const char16_t c : wanted) {
      if (text[at] == c) return at;
    }
  }
  return kNotFound;
}

// Whether the upper-case form of `text` from `at` on starts with `what` (which is upper case).
bool UpperStartsWith(std::u16string_view text, size_t at, std::u16string_view what) {
  if (what.size() > text.size() - at) return false;
  for (size_t k = 0; k < what.size(); ++k) {
    if (UpperCase(text[at + k]) != what[k]) return false;
  }
  return true;
}

// The characters whose upper-case form is `c`, for the first character of a marker: the
// markers begin with ASCII or Japanese, so an ASCII capital is the only one with a second.
std::array<char16_t, 2> UpperSources(char16_t c) {
  const bool capital = c >= u'A' && c <= u'Z';
  return {c, capital ? static_cast<char16_t>(c + 0x20) : c};
}

// The position of the first occurrence of `what` (upper case) in the upper-case form of
// `text` at or after `from`, or kNotFound.
size_t FindUpper(std::u16string_view text, std::u16string_view what, size_t from) {
  const std::array<char16_t, 2> first = UpperSources(what.front());
  for (size_t at = FindAnyOf(text, first, from); at != kNotFound;
       at = FindAnyOf(text, first, at + 1)) {
    if (UpperStartsWith(text, at, what)) return at;
  }
  return kNotFound;
}

// The same, for the last occurrence.
size_t FindLastUpper(std::u16string_view text, std::u16string_view what) {
  const std::array<char16_t, 2> first = UpperSources(what.front());
  for (size_t at = text.size(); at-- > 0;) {
    if ((text[at] == first[0] || text[at] == first[1]) && UpperStartsWith(text, at, what)) {
      return at;
    }
  }
  return kNotFound;
}

// The site's own sentences, in half-width form; the page may spell their katakana in either
// width. Each is found through an anchor: its first kanji, or failing that its first hiragana,
// a character that is its own half-width form and the form of no other character, so that it
// can be looked for in the page as it stands; the half-width form is then compared on both
// sides of it.
struct Sentence {
  std::u16string_view text;
  size_t anchor;
};

constexpr bool IsKanji(char16_t c) {
  return c >= 0x4E00 && c <= 0x9FFF;
}
constexpr bool IsHiragana(char16_t c) {
  return c >= 0x3041 && c <= 0x3096;
}

constexpr Sentence WithAnchor(std::u16string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (IsKanji(text[i])) return {text, i};
  }
  for (size_t i = 0; i < text.size(); ++i) {
    if (IsHiragana(text[i])) return {text, i};
  }
  return {text, kNotFound};
}

constexpr Sentence kLoginPage = WithAnchor(u"IDとﾊﾟｽﾜｰﾄﾞを入力してﾛｸﾞｲﾝしてください");
constexpr Sentence kNoSuchAuction = WithAnchor(u"指定されたﾄﾞｷｭﾒﾝﾄは存在しません");
constexpr Sentence kNoAccess = WithAnchor(u"ｱｸｾｽできませんでした");
static_assert(kLoginPage.anchor != kNotFound && kNoSuchAuction.anchor != kNotFound &&
              kNoAccess.anchor != kNotFound);

// Whether the half-width form of `text` from position `at` on starts with `expected`.
bool HalfWidthStartsWith(std::u16string_view text, size_t at, std::u16string_view expected) {
  size_t matched = 0;
  for (; matched < expected.size() && at < text.size(); ++at) {
    const HalfWidthForm form = HalfWidthOf(UpperCase(text[at]));
    if (form.base != expected[matched++]) return false;
    if (form.mark != 0 && matched < expected.size() && form.mark != expected[matched++]) {
      return false;
    }
  }
  return matched == expected.size();
}

// Whether the half-width form of the part of `text` before position `end` ends with `expected`.
bool HalfWidthEndsWith(std::u16string_view text, size_t end, std::u16string_view expected) {
  size_t left = expected.size();
  for (; left > 0 && end > 0; --end) {
    const HalfWidthForm form = HalfWidthOf(UpperCase(text[end - 1]));
    if (form.mark != 0 && form.mark != expected[--left]) return false;
    if (left > 0 && form.base != expected[--left]) return false;
  }
  return left == 0;
}

// Whether the anchor character at `at` lies inside the sentence in the half-width form.
bool SentenceAround(std::u16string_view text, size_t at, const Sentence& sentence) {
  return HalfWidthEndsWith(text, at, sentence.text.substr(0, sentence.anchor)) &&
         HalfWidthStartsWith(text, at, sentence.text.substr(sentence.anchor));
}

struct SiteMessages {
  bool loginPage = false;
  bool noSuchAuction = false;
  bool noAccess = false;
};

// Looks for the three sentences in the half-width form of `text` in one pass, without building
// that form.
SiteMessages FindSiteMessages(std::u16string_view text) {
  const std::array<char16_t, 3> anchors{kLoginPage.text[kLoginPage.anchor],
                                        kNoSuchAuction.text[kNoSuchAuction.anchor],
                                        kNoAccess.text[kNoAccess.anchor]};
  SiteMessages found;
  for (size_t at = FindAnyOf(text, anchors, 0); at != kNotFound;
       at = FindAnyOf(text, anchors, at + 1)) {
    const char16_t c = text[at];
    if (c == anchors[0] && !found.loginPage) found.loginPage = SentenceAround(text, at, kLoginPage);
    if (c == anchors[1] && !found.noSuchAuction) {
      found.noSuchAuction = SentenceAround(text, at, kNoSuchAuction);
    }
    if (c == anchors[2] && !found.noAccess) found.noAccess = SentenceAround(text, at, kNoAccess);
  }
  return found;
}

// The page read as its upper-case form (which has the same length, character for character)
// with 1-based positions where 0 means "not found", so that the fixed offsets taken after a
// missing marker fall where they belong. Only the pieces copied out are upper-cased.
class PageText {
 public:
  explicit PageText(std::u16string_view text) : text_(text) {}

  size_t size() const { return text_.size(); }
  char16_t At(size_t position) const { return UpperCase(text_[position - 1]); }

  // The first occurrence of `what` starting at `from` or later.
  size_t Find(std::u16string_view what, size_t from) const {
    if (from > text_.size()) return 0;
    const size_t at = FindUpper(text_, what, from - 1);
    return at == kNotFound ? 0 : at + 1;
  }

  // `count` characters from `start`, at most kKeptFieldLength; shorter where the text ends
  // first.
  std::u16string Mid(size_t start, size_t count) const {
    if (start > text_.size()) return {};
    return UpperCase(text_.substr(start - 1, std::min(count, kKeptFieldLength)));
  }

 private:
  std::u16string_view text_;
};

constexpr size_t kCellLength = std::u16string_view{u"<TD><B>"}.size();
constexpr size_t kTitleTagLength = std::u16string_view{u"<TITLE>"}.size();
constexpr size_t kSiteNameLength = std::u16string_view{u"YAHOO"}.size();

// The bold cell after the price label.
std::u16string PriceOf(const PageText& page) {
  const size_t label = page.Find(u"現在の価格", 1);
  const size_t start = page.Find(u"<TD><B>", label + 1) + kCellLength;
  const size_t end = page.Find(u"</B>", start);
  return end == 0 ? std::u16string{} : page.Mid(start, end - start);
}

// The first text after the run of tags that follows the time-left label.
std::u16string TimeLeftOf(const PageText& page) {
  const size_t label = page.Find(u"残り時間", 1);
  size_t start = page.Find(u"<", label + 1);
  if (start == 0) return {};
  while (start <= page.size() && page.At(start) == u'<') {
    const size_t close = page.Find(u">", start);
    if (close == 0) return {};  // an unclosed tag: no text follows it
    start = close + 1;
  }
  const size_t end = page.Find(u"<", start);
  return end == 0 ? std::u16string{} : page.Mid(start, end - start);
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
std::u16string TitleOf(const PageText& page) {
  const size_t afterTag = page.Find(u"<TITLE>", 1) + kTitleTagLength;
  const size_t afterSite = page.Find(u"YAHOO", afterTag) + kSiteNameLength;
  const size_t dash = page.Find(u"-", afterSite);
  // The dash and the space behind it are not part of the title.
  const size_t end = page.Find(u"<", dash + 2);
  return end == 0 ? std::u16string{} : page.Mid(dash + 2, end - dash - 2);
}

}  // namespace

PageReading AnalyzePage(std::u16string_view page, StatusFields fields) {
  PageReading reading;
  const SiteMessages messages = FindSiteMessages(page);
  // The login page may come without "</HTML>"; it is recognised first.
  if (messages.loginPage) {
    reading.loginPage = true;
    reading.status = u"YAHOO!オークションにログオンしてください．";
    return reading;
  }
  // The closing tag is near the end of a whole page, so look for it from there.
  if (FindLastUpper(page, u"</HTML>") == kNotFound) {
    reading.status = u"ロードできていません.";
    return reading;
  }
  if (messages.noSuchAuction) {
    reading.status = u"オークションが存在しません.";
    return reading;
  }
  if (messages.noAccess) {
    reading.status = u"オークションにアクセスできません.";
    return reading;
  }

  const PageText text{page};
  if (fields.price) {
    reading.price = PriceOf(text);
    reading.status = *reading.price;
  }

  std::u16string piece = WithoutFirstEntity(TimeLeftOf(text));
  reading.ended = piece.find(u"終了") != std::u16string::npos;
  if (reading.ended) {
    piece = u"/終了";
  } else {
    piece.insert(0, u"/残り");
  }
  if (fields.timeLeft) reading.status += piece;
  reading.timePiece = std::move(piece);

  if (fields.title) {
    reading.status += u'/';
    reading.status += TitleOf(text);
  }
  return reading;
}

}  // namespace lotwarden
