// SPDX-License-Identifier: MIT
// Decoding speed: DecodeEucJp against glibc's iconv (EUC-JP to UTF-16LE) and memcpy, on a
// synthetic auction item page, a mix of such pages, dense Japanese text and plain ASCII, and
// the decode plus page analysis of one item page. Prints the ratios of the medians at the end.
//
//   decode_bench --benchmark_repetitions=15   (repetitions, interleaving and aggregates-only
//                                              output are the defaults when not given)

#include <benchmark/benchmark.h>
#include <iconv.h>
#include <malloc.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "monitor/euc_jp.h"
#include "monitor/page_analysis.h"

namespace {

using lotwarden::DecodeEucJp;

// ---- Inputs -------------------------------------------------------------------------------

class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open failed");
  }
  ~Iconv() { iconv_close(cd_); }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;

  // Converts all of `in` into `out` (which must be large enough); returns the bytes written,
  // or -1 when the input does not convert completely.
  std::ptrdiff_t Convert(std::string_view in, char* out, std::size_t room) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in.data());
    std::size_t src_left = in.size();
    char* dst = out;
    std::size_t dst_left = room;
    if (iconv(cd_, &src, &src_left, &dst, &dst_left) == static_cast<std::size_t>(-1)) return -1;
    return src_left == 0 ? dst - out : -1;
  }

 private:
  iconv_t cd_;
};

std::string ToEucJp(std::string_view utf8) {
  static Iconv converter("EUC-JP", "UTF-8");
  std::string out(utf8.size() * 2 + 16, '\0');
  const std::ptrdiff_t n = converter.Convert(utf8, out.data(), out.size());
  if (n < 0) throw std::runtime_error("not convertible to EUC-JP: " + std::string(utf8));
  out.resize(static_cast<std::size_t>(n));
  return out;
}

// A fixed pseudo-random sequence, the same on every platform.
class Rng {
 public:
  explicit Rng(std::uint32_t seed) : state_(seed * 2654435761u + 1) {}
  std::uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  std::size_t Below(std::size_t n) { return Next() % n; }
  template <typename T, std::size_t N>
  const T& Pick(const T (&items)[N]) {
    return items[Below(N)];
  }

 private:
  std::uint32_t state_;
};

const char* const kWords[] = {
    "出品者",     "落札",     "入札",         "送料",         "商品",         "説明",
    "状態",       "美品",     "ジャンク",     "動作確認済み", "カメラ",       "レンズ",
    "フィルム",   "ボディ",   "付属品",       "元箱",         "取扱説明書",   "発送",
    "ゆうパック", "宅配便",   "着払い",       "落札者様",     "ご負担",       "お願いします",
    "よろしく",   "キズ",     "汚れ",         "中古品",       "ノークレーム", "ノーリターン",
    "評価",       "新規の方", "ご遠慮下さい", "即決価格",     "自動延長",     "早期終了",
    "東京都",     "大阪府",   "銀行振込",     "郵便振替",     "写真",         "ご覧ください",
    "ニコン",     "キヤノン", "ペンタックス", "オリンパス",   "シャッター",   "露出計",
};
const char* const kHalfWidth[] = {"ｶﾒﾗ", "ﾚﾝｽﾞ", "ｼﾞｬﾝｸ", "ｵｰｸｼｮﾝ"};

// Japanese text of `words` words, with punctuation and now and then a number.
std::string Sentence(Rng& rng, int words) {
  std::string s;
  for (int i = 0; i < words; ++i) {
    s += rng.Pick(kWords);
    const std::size_t r = rng.Below(10);
    if (r == 0) s += "、";
    if (r == 1) s += std::to_string(rng.Below(5000)) + "円";
    if (r == 2) s += "は";
    if (r == 3) s += "の";
  }
  return s + (rng.Below(3) == 0 ? "です。" : "。");
}

// A synthetic item page of about 200 KB in EUC-JP, about a quarter of its bytes non-ASCII,
// with the fields the page analysis reads.
std::string ItemPage(std::uint32_t seed) {
  Rng rng(seed);
  std::string html;
  html +=
      "<HTML>\n<HEAD>\n<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=euc-jp\">\n";
  html += "<TITLE>Yahoo!オークション - 【美品】ニコン FM2 フィルムカメラ ボディ No." +
          std::to_string(seed) + "</TITLE>\n";
  html += "<style type=\"text/css\"><!-- a:link{color:#0000cc} td.h{font-size:small} --></style>\n";
  html += "</HEAD>\n<body bgcolor=\"#ffffff\" text=\"#000000\" link=\"#0000cc\">\n";
  // Navigation.
  html += "<table width=\"100%\" border=0 cellspacing=0 cellpadding=2><tr>\n";
  for (int i = 0; i < 40; ++i) {
    html += "<td class=\"h\"><a href=\"http://auctions.example.co.jp/jp/category/" +
            std::to_string(2084000000 + rng.Below(100000)) + "\">" + rng.Pick(kWords) +
            "</a> &gt; </td>\n";
  }
  html += "</tr></table>\n";
  // The item's fields.
  html += "<table border=0 cellpadding=4 cellspacing=1 width=\"100%\" bgcolor=\"#cccccc\">\n";
  html += "<TR><TD bgcolor=\"#eeeeee\">現在の価格</TD><TD><B>12,000 円</B></TD></TR>\n";
  html +=
      "<TR><TD bgcolor=\"#eeeeee\">残り時間</TD><TD><FONT SIZE=\"-1\"><B>45&nbsp;分</B>"
      "</FONT></TD></TR>\n";
  html += "<tr><td bgcolor=\"#eeeeee\">入札件数</td><td>" + std::to_string(rng.Below(60)) +
          "</td></tr>\n";
  html += "<tr><td bgcolor=\"#eeeeee\">開始時の価格</td><td>1,000 円</td></tr>\n";
  html += "</table>\n";
  // Description, questions and bid history until the page has its size.
  int block = 0;
  // Each Japanese character takes three bytes in UTF-8 and two in EUC-JP.
  std::size_t counted = 0;
  std::size_t three_byte = 0;
  auto euc_size = [&] {
    for (; counted < html.size(); ++counted)
      three_byte += static_cast<unsigned char>(html[counted]) >= 0xE0;
    return html.size() - three_byte;
  };
  while (euc_size() < 200 * 1024 - 400) {
    switch (block++ % 4) {
      case 0:
        html += "<p><font size=\"2\">";
        for (int i = 0; i < 4; ++i)
          html += Sentence(rng, 5 + static_cast<int>(rng.Below(5)));
        if (rng.Below(4) == 0) html += rng.Pick(kHalfWidth);
        html += "</font></p>\n";
        break;
      case 1:
        html += "<table border=0 cellspacing=1 cellpadding=3 width=\"100%\">\n";
        for (int i = 0; i < 4; ++i) {
          html +=
              "<tr bgcolor=\"#ffffff\"><td nowrap><a href=\"http://user.example.co.jp/"
              "show/rating?userID=bidder" +
              std::to_string(rng.Below(100000)) + "\">bidder" + std::to_string(rng.Below(100000)) +
              "</a></td><td align=right>" + std::to_string(1 + rng.Below(99)) +
              ",000 円</td><td nowrap>" + std::to_string(1 + rng.Below(12)) + "月 " +
              std::to_string(1 + rng.Below(28)) + "日 " + std::to_string(rng.Below(24)) + "時 " +
              std::to_string(rng.Below(60)) + "分</td></tr>\n";
        }
        html += "</table>\n";
        break;
      case 2:
        html += "<div class=\"qa\"><b>質問</b> " + Sentence(rng, 5) + "<br>\n<b>回答</b> " +
                Sentence(rng, 6) + "</div>\n";
        break;
      default:
        html += "<a href=\"http://page.auctions.example.co.jp/jp/auction/e" +
                std::to_string(10000000 + rng.Below(90000000)) +
                "\"><img src=\"http://img.example.co.jp/i/auc/thumb_" +
                std::to_string(rng.Below(1000000)) +
                ".jpg\" width=96 height=72 border=0 alt=\"\"></a>\n";
        break;
    }
  }
  html +=
      "<hr size=1 noshade>\n<center><font size=\"-2\">Copyright (C) 2003 Example Japan "
      "Corporation. All Rights Reserved.</font></center>\n</body>\n</HTML>\n";
  return ToEucJp(html);
}

constexpr std::size_t kBig = 16u << 20;

std::string PageMix() {
  std::string mix;
  for (std::uint32_t seed = 1; mix.size() < kBig; ++seed)
    mix += ItemPage(seed);
  mix.resize(kBig);
  return mix;
}

// Dense Japanese: two-byte characters only, kana and both kanji levels, with punctuation.
std::string DenseJapanese() {
  Rng rng(7);
  std::string text;
  text.reserve(kBig);
  while (text.size() < kBig) {
    const std::size_t kind = rng.Below(10);
    int row;
    int cell;
    if (kind < 3) {
      row = 0xA4, cell = 0xA1 + static_cast<int>(rng.Below(0x53));  // hiragana
    } else if (kind < 5) {
      row = 0xA5, cell = 0xA1 + static_cast<int>(rng.Below(0x56));  // katakana
    } else if (kind < 6) {
      row = 0xA1, cell = 0xA1 + static_cast<int>(rng.Below(0x5E));  // punctuation and symbols
    } else if (kind < 9) {
      row = 0xB0 + static_cast<int>(rng.Below(0x1F)),
      cell = 0xA1 + static_cast<int>(rng.Below(0x5E));
    } else {
      row = 0xD0 + static_cast<int>(rng.Below(0x24)),
      cell = 0xA1 + static_cast<int>(rng.Below(0x5E));
    }
    text += static_cast<char>(row);
    text += static_cast<char>(cell);
  }
  text.resize(kBig);
  return text;
}

std::string Ascii() {
  Rng rng(3);
  const char* const kPieces[] = {"<td>",    "</td>",    "<a href=\"http://example.co.jp/\">",
                                 "</a>",    "auction ", "price ",
                                 "12,000 ", "camera ",  "lens ",
                                 "\n"};
  std::string text;
  while (text.size() < kBig)
    text += rng.Pick(kPieces);
  text.resize(kBig);
  return text;
}

struct Input {
  const char* name;
  std::string bytes;
};

const std::vector<Input>& Inputs() {
  static const std::vector<Input> inputs = {
      {"page", ItemPage(1)},
      {"mix", PageMix()},
      {"dense_japanese", DenseJapanese()},
      {"ascii", Ascii()},
  };
  return inputs;
}

// ---- Contenders ---------------------------------------------------------------------------

void SetBytes(benchmark::State& state, const std::string& in) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(in.size()));
}

void Decode(benchmark::State& state, const std::string& in) {
  for (auto _ : state) {
    std::u16string text = DecodeEucJp(in);
    benchmark::DoNotOptimize(text.data());
    benchmark::ClobberMemory();
  }
  SetBytes(state, in);
}

// iconv gets its output buffer allocated once, outside the timing: its best case.
void IconvDecode(benchmark::State& state, const std::string& in) {
  Iconv converter("UTF-16LE", "EUC-JP");
  std::u16string out(in.size() + 8, u'\0');
  const std::size_t room = out.size() * sizeof(char16_t);
  if (converter.Convert(in, reinterpret_cast<char*>(out.data()), room) < 0) {
    state.SkipWithError("iconv does not convert this input");
    return;
  }
  for (auto _ : state) {
    benchmark::DoNotOptimize(converter.Convert(in, reinterpret_cast<char*>(out.data()), room));
    benchmark::ClobberMemory();
  }
  SetBytes(state, in);
}

// memcpy of the input into a buffer allocated once, outside the timing.
void Memcpy(benchmark::State& state, const std::string& in) {
  std::string out(in.size(), '\0');
  for (auto _ : state) {
    std::memcpy(out.data(), in.data(), in.size());
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  SetBytes(state, in);
}

void DecodeAndAnalyze(benchmark::State& state, const std::string& in) {
  std::u16string status;
  for (auto _ : state) {
    status = lotwarden::AnalyzePage(DecodeEucJp(in), {true, true, true}).status;
    benchmark::DoNotOptimize(status.data());
  }
  if (status != u"12,000 円/残り45分/【美品】ニコン FM2 フィルムカメラ ボディ NO.1") {
    state.SkipWithError("the page was not analysed as an item page");
  }
  SetBytes(state, in);
}

// ---- Ratios -------------------------------------------------------------------------------

// Shows the runs as usual and keeps each benchmark's median times for the summary. The ratios
// use CPU time, as the benchmarks are single-threaded and on a busy machine the real time
// mostly measures waiting for a core; the real-time ratios follow in parentheses.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      const std::string& name = run.run_name.function_name;
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
        medians_[name] = {run.GetAdjustedCPUTime(), run.GetAdjustedRealTime()};
      } else if (run.run_type == Run::RT_Iteration && run.repetitions <= 1) {
        medians_[name] = {run.GetAdjustedCPUTime(), run.GetAdjustedRealTime()};
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\nRatios of median CPU times (target in brackets; real-time ratio after it):\n");
    for (const char* input : {"page", "mix", "dense_japanese"}) {
      Ratio(std::string("iconv/") + input, std::string("decode/") + input,
            std::string("iconv / decode, ") + input,
            std::string_view(input) == "dense_japanese" ? ">= 4" : ">= 10");
    }
    Ratio("memcpy/ascii", "decode/ascii", "memcpy / decode, ascii", ">= 0.5");
    Ratio("decode_analyze/page", "iconv/page", "(decode + AnalyzePage) / iconv, page", "<= 0.75");
  }

 private:
  void Ratio(const std::string& num, const std::string& den, const std::string& label,
             const char* target) {
    const auto n = medians_.find(num);
    const auto d = medians_.find(den);
    if (n == medians_.end() || d == medians_.end()) return;
    if (d->second.cpu <= 0 || d->second.real <= 0) return;
    std::printf("  %-40s %8.2f  [%s]  (%.2f)\n", label.c_str(), n->second.cpu / d->second.cpu,
                target, n->second.real / d->second.real);
  }

  struct Times {
    double cpu;
    double real;
  };
  std::map<std::string, Times> medians_;
};

}  // namespace

int main(int argc, char** argv) {
  // glibc serves blocks above 32 MiB (the 16 MiB inputs' texts) from fresh mmap memory on every
  // call, so each run would mostly time the kernel's page faults. Keep freed blocks in the
  // heap, as glibc itself does for smaller blocks such as a real page's text.
  mallopt(M_MMAP_THRESHOLD, 256 << 20);
  mallopt(M_TRIM_THRESHOLD, 512 << 20);

  // Defaults: medians of several interleaved repetitions; the command line overrides them.
  std::vector<char*> args(argv, argv + argc);
  std::string repetitions = "--benchmark_repetitions=11";
  std::string interleave = "--benchmark_enable_random_interleaving=true";
  std::string aggregates = "--benchmark_report_aggregates_only=true";
  bool has_repetitions = false;
  for (int i = 1; i < argc; ++i) {
    has_repetitions |= std::string_view(argv[i]).starts_with("--benchmark_repetitions");
  }
  if (!has_repetitions) {
    args.insert(args.begin() + 1, {repetitions.data(), interleave.data(), aggregates.data()});
  }
  int count = static_cast<int>(args.size());

  for (const Input& input : Inputs()) {
    const std::string* bytes = &input.bytes;
    const std::string name = input.name;
    benchmark::RegisterBenchmark(("decode/" + name).c_str(), [bytes](benchmark::State& s) {
      Decode(s, *bytes);
    })->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("iconv/" + name).c_str(), [bytes](benchmark::State& s) {
      IconvDecode(s, *bytes);
    })->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("memcpy/" + name).c_str(), [bytes](benchmark::State& s) {
      Memcpy(s, *bytes);
    })->Unit(benchmark::kMicrosecond);
  }
  const std::string* page = &Inputs().front().bytes;
  benchmark::RegisterBenchmark("decode_analyze/page", [page](benchmark::State& s) {
    DecodeAndAnalyze(s, *page);
  })->Unit(benchmark::kMicrosecond);

  std::size_t high = 0;
  for (unsigned char c : *page)
    high += c >= 0x80;
  std::printf("item page: %zu bytes, %.1f%% of them non-ASCII\n", page->size(),
              100.0 * static_cast<double>(high) / static_cast<double>(page->size()));

  benchmark::Initialize(&count, args.data());
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
