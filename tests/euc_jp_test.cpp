// SPDX-License-Identifier: MIT
#include "monitor/euc_jp.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "monitor/cp932.h"

namespace lotwarden {
namespace {

// The decoding algorithm written out step by step, with no table folding and no fast path:
// the reference the optimised decoder is compared with.
char16_t OracleFullWidth(char16_t c) {
  static const std::u16string kKana =
      u"。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノ"
      u"ハヒフヘホマミムメモヤユヨラリルレロワン";
  if (c >= 0xFF61 && c <= 0xFF9D) return kKana.at(c - 0xFF61);
  if (c == 0xFF9E) return u'゛';
  if (c == 0xFF9F) return u'゜';
  if (c >= 0x21 && c <= 0x7E) return static_cast<char16_t>(c + 0xFEE0);
  if (c == 0x20) return 0x3000;
  return c;
}

std::u16string OracleDecode(const std::string& bytes) {
  std::u16string text;
  const std::size_t n = bytes.size();
  std::size_t i = 0;
  while (n >= 2 && i <= n - 2) {
    const auto c1 = static_cast<unsigned>(static_cast<unsigned char>(bytes[i]));
    const auto c2 = static_cast<unsigned>(static_cast<unsigned char>(bytes[i + 1]));
    if (c1 <= 0x7F) {
      text += static_cast<char16_t>(c1);
      i += 1;
    } else if (c1 == 0x8E) {
      text += OracleFullWidth(Cp932ToUnicode(static_cast<std::uint8_t>(c2)));
      i += 2;
    } else {
      const unsigned j1 = c1 & 0x7F;
      const unsigned j2 = c2 & 0x7F;
      unsigned s2 = j1 % 2 == 1 ? j2 + 31 : j2 + 125;
      if (s2 >= 127) s2 += 1;
      const int d = (static_cast<int>(j1) - 33) / 2;
      unsigned s1 = static_cast<unsigned>(d + 129);
      if (s1 > 159) s1 += 64;
      text += Cp932ToUnicode(static_cast<std::uint8_t>(s1), static_cast<std::uint8_t>(s2));
      i += 2;
    }
  }
  if (i + 1 == n) text += Cp932ToUnicode(static_cast<std::uint8_t>(bytes[i]));
  return text;
}

std::string Hex(const std::string& bytes) {
  std::string out;
  char buf[4];
  for (unsigned char b : bytes) {
    std::snprintf(buf, sizeof buf, "%02X ", b);
    out += buf;
  }
  return out;
}

std::string Hex(const std::u16string& text) {
  std::string out;
  char buf[8];
  for (char16_t c : text) {
    std::snprintf(buf, sizeof buf, "%04X ", static_cast<unsigned>(c));
    out += buf;
  }
  return out;
}

// Every path of the decoder this processor runs (the fast ones and the fallback) must give
// the oracle's text.
#define EXPECT_DECODES_AS_ORACLE(bytes)                                                 \
  do {                                                                                  \
    const std::string oracle_ = Hex(OracleDecode(bytes));                               \
    int path_ = 0;                                                                      \
    for (const std::u16string& text_ : DecodeEucJpOnEveryPath(bytes))                   \
      EXPECT_EQ(Hex(text_), oracle_) << "path " << path_++ << ", input " << Hex(bytes); \
  } while (false)

struct Case {
  const char* name;
  std::string bytes;
  std::u16string text;
  bool ends_on_step;  // false when the last byte is decoded alone and would pair with more
};

std::vector<Case> WorkedCases() {
  using namespace std::string_literals;
  return {
      {"empty", "", u"", true},
      {"one ascii byte", "A", u"A", false},
      {"nul byte", "\x00"s, u"\u0000"s, false},
      {"ascii", "ABC", u"ABC", false},
      {"hiragana then ascii",
       "\xA4\xA2"
       "A",
       u"\u3042A", false},
      {"lead byte last", "A\xA4", u"A\uFF64", false},
      {"lone half-width kana stays half-width", "\xDE", u"\uFF9E", false},
      {"lone 0x80", "\x80", u"\u0080", false},
      {"lone 0xA0", "\xA0", u"\uF8F0", false},
      {"lone 0xFD", "\xFD", u"\uF8F1", false},
      {"lone 0xFF", "\xFF", u"\uF8F3", false},
      {"lone lead of a two-byte code", "\xE0", u"\uFFFD", false},
      {"lone single shift", "\x8E", u"\uFFFD", false},
      {"ideographic space", "\xA1\xA1", u"\u3000", true},
      {"a", "\xA4\xA2", u"\u3042", true},
      {"a kanji", "\xB0\xA1", u"\u4E9C", true},
      {"odd row trail stepped past 7F", "\xB1\xE0", u"\u5712", true},
      {"lead raised by 64", "\xE0\xA1", u"\u71F9", true},
      {"wave dash as code page 932", "\xA1\xC1", u"\uFF5E", true},
      {"row 13 circled one", "\xAD\xA1", u"\u2460", true},
      {"single shift kana", "\x8E\xB1", u"\u30A2", true},
      {"sound mark not joined", "\x8E\xB6\x8E\xDE", u"\u30AB\u309B", true},
      {"semi-voiced mark", "\x8E\xDF", u"\u309C", true},
      {"half-width full stop", "\x8E\xA1", u"\u3002", true},
      {"half-width comma", "\x8E\xA4", u"\u3001", true},
      {"half-width long vowel", "\x8E\xB0", u"\u30FC", true},
      {"single shift ascii widened",
       "\x8E"
       "A",
       u"\uFF21", true},
      {"single shift tilde widened", "\x8E~", u"\uFF5E", true},
      {"single shift space", "\x8E ", u"\u3000", true},
      {"single shift control byte unchanged", "\x8E\n", u"\n", true},
      {"single shift 0xA0 unchanged", "\x8E\xA0", u"\uF8F0", true},
      {"single shift of a lead byte", "\x8E\x81", u"\uFFFD", true},
      {"lead swallows ascii", "\xA1<", u"\u30FC", true},
      {"three-byte form not recognised",
       "\x8F\xA1\xA1"
       "A",
       u"\uFFFD\uFF5E", true},
      {"unassigned row 9", "\xA9\xA1", u"\uFFFD", true},
      {"unassigned lead FD", "\xFD\xA1", u"\uFFFD", true},
      {"lead below A1", "\x90\xA1", u"\uFFFD", true},
      {"trail below 0x40", "\xA1\x00"s, u"\uFFFD", true},
      {"mixed page text", "<B>12,000 \xB1\xDF</B>", u"<B>12,000 \u5186</B>", true},
  };
}

TEST(DecodeEucJp, WorkedCases) {
  for (const Case& c : WorkedCases()) {
    EXPECT_EQ(Hex(DecodeEucJp(c.bytes)), Hex(c.text)) << c.name;
    EXPECT_EQ(Hex(OracleDecode(c.bytes)), Hex(c.text)) << "oracle: " << c.name;
  }
}

// Every case at every offset from the start of a 64-byte block, surrounded by ASCII, so each
// case meets the block edges of the fast paths (16 bytes for the ASCII runs, 64 for the mixed
// blocks, which leave the last 64 bytes to a plain loop) in every position.
TEST(DecodeEucJp, WorkedCasesAtEveryOffset) {
  for (const Case& c : WorkedCases()) {
    for (int offset = 0; offset < 64; ++offset) {
      for (int tail : {0, 1, 15, 16, 17, 40, 64, 65, 100}) {
        if (!c.ends_on_step && tail > 0) continue;
        const std::string bytes = std::string(offset, 'x') + c.bytes + std::string(tail, 'y');
        const std::u16string text =
            std::u16string(offset, u'x') + c.text + std::u16string(tail, u'y');
        for (const std::u16string& decoded : DecodeEucJpOnEveryPath(bytes))
          EXPECT_EQ(Hex(decoded), Hex(text)) << c.name << " offset " << offset << " tail " << tail;
      }
    }
  }
}

TEST(EucPairToShiftJis, Arithmetic) {
  const struct {
    std::uint8_t c1, c2;
    std::uint16_t sjis;
  } kCases[] = {
      {0xA1, 0xA1, 0x8140}, {0xA4, 0xA2, 0x82A0}, {0xB0, 0xA1, 0x889F}, {0xB1, 0xE0, 0x8980},
      {0xE0, 0xA1, 0xE09F}, {0xA1, 0xC1, 0x8160}, {0xA1, 0x3C, 0x815B},  // second byte ASCII
      {0xA0, 0xA1, 0x819F},  // j1 = 32: (32 - 33) / 2 truncates to 0
      {0x9F, 0xE0, 0x8080},  // j1 = 31: -1; odd row stepped past 0x7F
      {0x80, 0x00, 0x717D},  // smallest first byte
      {0xFF, 0xFF, 0xF09F},  // largest first byte, odd row
      {0xFE, 0xFE, 0xEFFC},  // last valid pair
      {0x8F, 0xA1, 0x7840},  // start of a three-byte sequence
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(EucPairToShiftJis(c.c1, c.c2), c.sjis)
        << std::hex << static_cast<int>(c.c1) << " " << static_cast<int>(c.c2);
  }
}

// Every valid pair falls in the Shift_JIS double-byte ranges, distinct pairs give distinct
// codes, and the pairs that Python can transcode give the same code it does.
TEST(EucPairToShiftJis, ValidPairsMatchPythonTranscoding) {
  std::vector<bool> seen(0x10000);
  for (int c1 = 0xA1; c1 <= 0xFE; ++c1) {
    for (int c2 = 0xA1; c2 <= 0xFE; ++c2) {
      const std::uint16_t sjis =
          EucPairToShiftJis(static_cast<std::uint8_t>(c1), static_cast<std::uint8_t>(c2));
      const int s1 = sjis >> 8;
      const int s2 = sjis & 0xFF;
      EXPECT_TRUE((s1 >= 0x81 && s1 <= 0x9F) || (s1 >= 0xE0 && s1 <= 0xEF)) << std::hex << sjis;
      EXPECT_TRUE((s2 >= 0x40 && s2 <= 0x7E) || (s2 >= 0x80 && s2 <= 0xFC)) << std::hex << sjis;
      EXPECT_FALSE(seen[sjis]) << std::hex << sjis;
      seen[sjis] = true;
    }
  }

  std::ifstream file(LOTWARDEN_TEST_DATA "/euc_sjis_vectors.txt");
  ASSERT_TRUE(file) << "missing euc_sjis_vectors.txt";
  std::string line;
  int checked = 0;
  while (std::getline(file, line)) {
    if (line.empty() || line[0] == '#') continue;
    unsigned euc = 0;
    unsigned sjis = 0;
    ASSERT_EQ(std::sscanf(line.c_str(), "%4x %4x", &euc, &sjis), 2) << line;
    EXPECT_EQ(EucPairToShiftJis(static_cast<std::uint8_t>(euc >> 8),
                                static_cast<std::uint8_t>(euc & 0xFF)),
              sjis)
        << line;
    ++checked;
  }
  EXPECT_GT(checked, 6800);  // every JIS X 0208 character
}

TEST(DecodeEucJp, AllTwoByteInputsMatchOracle) {
  std::string all;
  std::string spaced;  // each pair then a space: every block mixed, no all-pairs shortcut
  for (int c1 = 0; c1 < 256; ++c1) {
    for (int c2 = 0; c2 < 256; ++c2) {
      const std::string bytes{static_cast<char>(c1), static_cast<char>(c2)};
      EXPECT_DECODES_AS_ORACLE(bytes);
      all += bytes;
      spaced += bytes + ' ';
    }
  }
  // The same pairs as one stream: ASCII leads shift the pairing, crossing every block edge.
  for (const std::string& bytes : {all, "A" + all, spaced, "A" + spaced}) {
    const std::u16string oracle = OracleDecode(bytes);
    for (const std::u16string& decoded : DecodeEucJpOnEveryPath(bytes))
      EXPECT_EQ(decoded, oracle);
  }
}

TEST(DecodeEucJp, HostileInputsMatchOracle) {
  for (int n = 1; n <= 40; ++n) {
    EXPECT_DECODES_AS_ORACLE(std::string(n, '\x8E'));
    EXPECT_DECODES_AS_ORACLE(std::string(1, 'a').append(static_cast<std::size_t>(n), '\x8E'));
  }
  // One high byte at each position of ASCII texts around one and two block lengths.
  for (int length : {15, 16, 17, 31, 32, 33}) {
    for (int pos = 0; pos < length; ++pos) {
      for (char high : {'\x80', '\x8E', '\xA4', '\xDE', '\xFF'}) {
        std::string bytes(length, 'q');
        bytes[pos] = high;
        EXPECT_DECODES_AS_ORACLE(bytes);
        bytes[length - 1] = high;  // and a lone lead byte at the very end
        EXPECT_DECODES_AS_ORACLE(bytes);
      }
    }
  }
  // Runs of lead bytes of every length from every offset, with ASCII after them: runs of odd
  // length swallow the ASCII byte after them, also across the edge of a 64-byte block.
  for (int offset = 0; offset < 64; ++offset) {
    for (int run = 1; run <= 130; ++run) {
      EXPECT_DECODES_AS_ORACLE(std::string(offset, 'a') + std::string(run, '\xB0') + "<b>" +
                               std::string(70, 'c'));
    }
  }
  // A pair straddling the decoder's internal slices of a few kilobytes.
  for (int before = 4080; before <= 4112; ++before) {
    EXPECT_DECODES_AS_ORACLE(std::string(before, 'a') + "\xA4\xA2\x8E\xB1" + std::string(20, 'b'));
    EXPECT_DECODES_AS_ORACLE(std::string(before, '\xA4') + std::string(20, 'b'));
  }
}

TEST(DecodeEucJp, RandomInputsMatchOracle) {
  std::mt19937 rng(20240613);
  // Byte mixes: uniform, mostly ASCII, dense lead bytes, heavy in single shifts.
  const std::vector<std::vector<int>> kAlphabets = {
      {},
      {'a', 'b', '<', '>', ' ', 0xA4, 0xB0, 0x8E, 0xA1},
      {0xA1, 0xA4, 0xA5, 0xB0, 0xC8, 0xFE, 0x8F, 'x'},
      {0x8E, 0xB1, 0xDE, 0xDF, 'A', 0x20},
  };
  for (const auto& alphabet : kAlphabets) {
    for (int round = 0; round < 400; ++round) {
      const int length = round < 200 ? round % 70 : static_cast<int>(rng() % 9000);
      std::string bytes(static_cast<std::size_t>(length), '\0');
      for (char& b : bytes) {
        b = static_cast<char>(alphabet.empty() ? rng() % 256 : alphabet[rng() % alphabet.size()]);
      }
      EXPECT_DECODES_AS_ORACLE(bytes);
    }
  }
  // Long inputs: the fast paths gather their table lookups over runs of many blocks.
  for (const auto& alphabet : kAlphabets) {
    for (int round = 0; round < 3; ++round) {
      std::string bytes(40000 + rng() % 40000, '\0');
      for (char& b : bytes) {
        b = static_cast<char>(alphabet.empty() ? rng() % 256 : alphabet[rng() % alphabet.size()]);
      }
      EXPECT_DECODES_AS_ORACLE(bytes);
    }
  }
}

TEST(Cp932, DecodingSpotChecks) {
  const struct {
    int lead, trail;  // lead < 0: a one-byte code
    char16_t c;
  } kCases[] = {
      {0x81, 0x60, 0xFF5E}, {0x87, 0x40, 0x2460}, {0x82, 0xA0, 0x3042},
      {0xFA, 0x40, 0x2170}, {0xF0, 0x40, 0xE000}, {0xF9, 0xFC, 0xE757},  // user-defined area
      {0x85, 0x40, 0xFFFD}, {0x81, 0x7F, 0xFFFD}, {0x80, 0x40, 0xFFFD},
      {0xFD, 0x40, 0xFFFD}, {0x81, 0x3F, 0xFFFD}, {0x81, 0xFD, 0xFFFD},  // trail bytes out of range
      {-1, 0x41, u'A'},     {-1, 0x80, 0x0080},   {-1, 0xA0, 0xF8F0},
      {-1, 0xFD, 0xF8F1},   {-1, 0xFE, 0xF8F2},   {-1, 0xFF, 0xF8F3},
      {-1, 0xB1, 0xFF71},   {-1, 0x81, 0xFFFD},   {-1, 0xE0, 0xFFFD},
  };
  for (const auto& c : kCases) {
    const char16_t got = c.lead < 0 ? Cp932ToUnicode(static_cast<std::uint8_t>(c.trail))
                                    : Cp932ToUnicode(static_cast<std::uint8_t>(c.lead),
                                                     static_cast<std::uint8_t>(c.trail));
    EXPECT_EQ(static_cast<int>(got), static_cast<int>(c.c)) << std::hex << c.lead << " " << c.trail;
  }
}

TEST(Cp932, EncodingSpotChecks) {
  const struct {
    char16_t c;
    Cp932Code code;
  } kCases[] = {
      {u'A', {1, {0x41, 0}}},       // ASCII
      {0xFF71, {1, {0xB1, 0}}},     // half-width katakana
      {0x3042, {2, {0x82, 0xA0}}},  // hiragana
      {0xFF5E, {2, {0x81, 0x60}}},  // the full-width tilde of 81 60
      {0x301C, {2, {0x81, 0x60}}},  // encodes although nothing decodes to it
      {0x2252, {2, {0x81, 0xE0}}},  // also at 87 90: the first code wins
      {0x7E8A, {2, {0xED, 0x40}}},  // also at FA 5C: Python keeps the NEC-selected row
      {0x0100, {0, {0, 0}}},        // not in the code page
      {0x3099, {0, {0, 0}}},        // combining sound mark: not in the code page
  };
  for (const auto& c : kCases) {
    const Cp932Code got = UnicodeToCp932(c.c);
    EXPECT_EQ(got.length, c.code.length) << std::hex << static_cast<int>(c.c);
    for (int i = 0; i < got.length && i < c.code.length; ++i) {
      EXPECT_EQ(got.bytes[i], c.code.bytes[i]) << std::hex << static_cast<int>(c.c);
    }
  }
}

// Every character that some code decodes to encodes to a code that decodes back to it.
TEST(Cp932, EncoderRoundTrip) {
  int characters = 0;
  auto check = [&](char16_t c) {
    if (c == 0xFFFD) return;
    const Cp932Code code = UnicodeToCp932(c);
    ASSERT_GT(code.length, 0) << std::hex << static_cast<int>(c);
    const char16_t back = code.length == 1 ? Cp932ToUnicode(code.bytes[0])
                                           : Cp932ToUnicode(code.bytes[0], code.bytes[1]);
    EXPECT_EQ(static_cast<int>(back), static_cast<int>(c));
    ++characters;
  };
  for (int b = 0; b < 256; ++b)
    check(Cp932ToUnicode(static_cast<std::uint8_t>(b)));
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      check(Cp932ToUnicode(static_cast<std::uint8_t>(lead), static_cast<std::uint8_t>(trail)));
    }
  }
  EXPECT_GT(characters, 9700);
}

}  // namespace
}  // namespace lotwarden
