// SPDX-License-Identifier: MIT
#include "tray/tray_record.h"

#include <gtest/gtest.h>

#include <string>

namespace lotwarden {
namespace {

std::string Tip(const TrayIconRecord& record) {
  return std::string(record.tip.begin(), record.tip.end());
}

// A status that fits: its bytes, a NUL, spaces up to byte 62 and the closing NUL.
std::string Padded(std::string text) {
  text.push_back('\0');
  text.resize(63, ' ');
  return text + '\0';
}

// A cut status: the bytes that fit, then NULs.
std::string Cut(std::string text) {
  text.resize(64, '\0');
  return text;
}

TEST(TrayRecordTest, TooltipIsCutToWholeCp932Characters) {
  const std::u16string x62(62, u'x');
  struct Case {
    std::u16string status;
    std::string tip;       // the bytes
    std::u16string shown;  // what the tooltip shows
  } const cases[] = {
      {u"", Padded(""), u""},
      {std::u16string(64, u'b'), Cut(std::string(63, 'b')), std::u16string(63, u'b')},
      {std::u16string(63, u'c'), Padded(std::string(63, 'c')), std::u16string(63, u'c')},
      {std::u16string(100, u'd'), Cut(std::string(63, 'd')), std::u16string(63, u'd')},
      // The last byte stays NUL, so a two-byte character at bytes 62-63 is left out whole.
      {x62 + u"価zz", Cut(std::string(62, 'x')), x62},
      {x62.substr(1) + u"価zz", Cut(std::string(61, 'x') + "\x89\xbf"), x62.substr(1) + u"価"},
      {u"1,000円/残り2日/テストｱｲ",
       Padded("1,000\x89\x7e/\x8e\x63\x82\xe8"
              "2\x93\xfa/\x83\x65\x83\x58\x83\x67\xb1\xb2"),
       u"1,000円/残り2日/テストｱｲ"},
      // No code: é, €, an emoji (one surrogate pair) and a lone surrogate give one "?" each.
      {u"caf\u00e9 \u20ac5 \U0001F600!" + std::u16string{char16_t{0xD800}, u'b'},
       Padded("caf? ?5 ?!?b"), u"caf? ?5 ?!?b"},
  };
  // One record throughout: nothing of a longer tip may stay behind.
  TrayIconRecord record;
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.status));
    record.SetTip(c.status);
    EXPECT_EQ(Tip(record), c.tip);
    EXPECT_EQ(record.TooltipText(), c.shown);
  }
}

}  // namespace
}  // namespace lotwarden
