#include "tray/tray_record.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace lotwarden {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::uint32_t ReadLittleEndian(const std::array<std::uint8_t, 88>& image, std::size_t offset) {
  return static_cast<std::uint32_t>(image[offset]) | image[offset + 1] << 8 |
         image[offset + 2] << 16 | static_cast<std::uint32_t>(image[offset + 3]) << 24;
}

Bytes Tip(const TrayIconRecord& record) {
  return Bytes(record.szTip.begin(), record.szTip.end());
}

// The field as it must look: the text bytes, then the NUL, spaces up to byte 62 when the
// status fits, and a NUL in the last byte.
Bytes ShortTip(const Bytes& text) {
  Bytes tip = text;
  tip.push_back(0);
  tip.resize(63, ' ');
  tip.push_back(0);
  return tip;
}

// The field for a cut status: the bytes that fit, NUL-padded to 64.
Bytes CutTip(const Bytes& text) {
  Bytes tip = text;
  tip.resize(64, 0);
  return tip;
}

TEST(TrayRecordTest, StartsZeroed) {
  const TrayIconRecord record;
  for (const std::uint8_t b : record.Bytes())
    EXPECT_EQ(b, 0);
  EXPECT_EQ(record.TooltipText(), u"");
}

TEST(TrayRecordTest, ImageHoldsEveryFieldLittleEndian) {
  TrayIconRecord record;
  record.Fill(0x12345678, 0xCAFEF00D, u"AB");
  const std::array<std::uint8_t, 88> image = record.Bytes();
  EXPECT_EQ(ReadLittleEndian(image, 0), 88u);
  EXPECT_EQ(ReadLittleEndian(image, 4), 0x12345678u);
  EXPECT_EQ(ReadLittleEndian(image, 8), 1u);
  EXPECT_EQ(ReadLittleEndian(image, 12), 7u);
  EXPECT_EQ(ReadLittleEndian(image, 16), 512u);
  EXPECT_EQ(ReadLittleEndian(image, 20), 0xCAFEF00Du);
  // Byte order spelled out once for the window handle and the size.
  EXPECT_EQ((Bytes{image[0], image[1], image[2], image[3]}), (Bytes{88, 0, 0, 0}));
  EXPECT_EQ((Bytes{image[4], image[5], image[6], image[7]}), (Bytes{0x78, 0x56, 0x34, 0x12}));
  EXPECT_EQ(Bytes(image.begin() + 24, image.end()), ShortTip({'A', 'B'}));
}

TEST(TrayRecordTest, TooltipCopyChangesOnlyTheTip) {
  TrayIconRecord record;
  record.Fill(5, 6, u"first");
  record.hIcon = 99;
  const std::array<std::uint8_t, 88> before = record.Bytes();
  record.SetTip(u"second");
  const std::array<std::uint8_t, 88> after = record.Bytes();
  EXPECT_TRUE(std::equal(before.begin(), before.begin() + 24, after.begin()));
  EXPECT_EQ(Tip(record), ShortTip({'s', 'e', 'c', 'o', 'n', 'd'}));
  EXPECT_EQ(record.TooltipText(), u"second");
  // A shorter text leaves nothing of the longer one behind.
  record.SetTip(u"x");
  EXPECT_EQ(Tip(record), ShortTip({'x'}));
}

TEST(TrayRecordTest, SingleByteStatusesOfEveryLength) {
  struct Case {
    std::size_t length;
    std::size_t shown;
    bool fits;
  };
  for (const Case c : {Case{0, 0, true}, Case{1, 1, true}, Case{62, 62, true}, Case{63, 63, true},
                       Case{64, 63, false}, Case{100, 63, false}}) {
    SCOPED_TRACE(c.length);
    std::u16string status;
    Bytes text;
    for (std::size_t i = 0; i < c.length; ++i) {
      status.push_back(static_cast<char16_t>(u'a' + i % 26));
      text.push_back(static_cast<std::uint8_t>('a' + i % 26));
    }
    TrayIconRecord record;
    record.SetTip(status);
    text.resize(c.shown);
    EXPECT_EQ(Tip(record), c.fits ? ShortTip(text) : CutTip(text));
    EXPECT_EQ(record.TooltipText(), status.substr(0, c.shown));
  }
}

TEST(TrayRecordTest, JapaneseTakesTwoBytesACharacter) {
  TrayIconRecord record;
  record.SetTip(u"1,000円/残り2日/テスト");
  EXPECT_EQ(Tip(record),
            ShortTip({0x31, 0x2c, 0x30, 0x30, 0x30, 0x89, 0x7e, 0x2f, 0x8e, 0x63, 0x82,
                      0xe8, 0x32, 0x93, 0xfa, 0x2f, 0x83, 0x65, 0x83, 0x58, 0x83, 0x67}));
  EXPECT_EQ(record.TooltipText(), u"1,000円/残り2日/テスト");

  // Half-width katakana are single bytes.
  record.SetTip(u"ｱｲ");
  EXPECT_EQ(Tip(record), ShortTip({0xb1, 0xb2}));
  EXPECT_EQ(record.TooltipText(), u"ｱｲ");
}

TEST(TrayRecordTest, LongJapaneseStatusesShowThirtyOneCharacters) {
  for (const std::size_t length : {31u, 32u, 40u, 64u, 80u}) {
    SCOPED_TRACE(length);
    std::u16string status;
    Bytes text;
    for (std::size_t i = 0; i < length; ++i) {
      status += i % 2 ? u"格" : u"価";
      if (text.size() < 62) {
        text.push_back(i % 2 ? 0x8a : 0x89);
        text.push_back(i % 2 ? 0x69 : 0xbf);
      }
    }
    TrayIconRecord record;
    record.SetTip(status);
    // 31 characters fill 62 bytes; with nothing after them the NUL and one space follow.
    EXPECT_EQ(Tip(record), length == 31 ? ShortTip(text) : CutTip(text));
    EXPECT_EQ(record.TooltipText(), status.substr(0, 31));
  }
}

TEST(TrayRecordTest, CutNeverSplitsATwoByteCharacter) {
  struct Case {
    std::size_t asciiBefore;  // single-byte characters ahead of "価zz"
    Bytes tail;               // the field's bytes after them
    std::u16string shown;     // the tooltip after them
  };
  const std::vector<Case> cases = {
      {60, {0x89, 0xbf, 'z', 0}, u"価z"},
      {61, {0x89, 0xbf, 0}, u"価"},
      {62, {0, 0}, u""},  // 62 + 2 would take byte 63, which stays NUL
      {63, {0}, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.asciiBefore);
    TrayIconRecord record;
    record.SetTip(std::u16string(c.asciiBefore, u'x') + u"価zz");
    Bytes expected(c.asciiBefore, 'x');
    expected.insert(expected.end(), c.tail.begin(), c.tail.end());
    EXPECT_EQ(Tip(record), expected);
    EXPECT_EQ(record.TooltipText(), std::u16string(c.asciiBefore, u'x') + c.shown);
  }
}

TEST(TrayRecordTest, CharactersWithoutACodeBecomeQuestionMarks) {
  TrayIconRecord record;
  // é and € have no code page 932 code; an emoji (one surrogate pair) gives one "?".
  record.SetTip(u"caf\u00e9 \u20ac5 \U0001F600!");
  EXPECT_EQ(Tip(record), ShortTip({'c', 'a', 'f', '?', ' ', '?', '5', ' ', '?', '!'}));
  EXPECT_EQ(record.TooltipText(), u"caf? ?5 ?!");
  // A lone surrogate is a character without a code too.
  record.SetTip(std::u16string{u'a', char16_t{0xD800}, u'b'});
  EXPECT_EQ(record.TooltipText(), u"a?b");
}

}  // namespace
}  // namespace lotwarden
