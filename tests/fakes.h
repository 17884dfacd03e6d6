// SPDX-License-Identifier: MIT
#pragma once

#include <iconv.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "monitor/clock.h"
#include "monitor/transfer.h"
#include "monitor/tray_presence.h"

namespace lotwarden::testing {

// A clock that only moves when the test moves it.
class FakeClock : public Clock {
 public:
  explicit FakeClock(LocalSeconds start) : now(start) {}
  LocalSeconds Now() const override { return now; }
  LocalSeconds now;
};

// Records every request; answers through `respond` if set (at once, inside Execute),
// otherwise leaves the request outstanding.
class FakeTransfer : public Transfer {
 public:
  std::vector<std::u16string> urls;
  std::function<void(const std::u16string& url)> respond;
  void Execute(const std::u16string& url) override {
    urls.push_back(url);
    if (respond) respond(url);
  }
};

// Records the tray calls in order: "add:<tooltip>" and "refresh:<tooltip>@<H:MM>", with
// " yellow" after the minute for a yellow face.
class FakeTray : public TrayPresence {
 public:
  std::vector<std::u16string> calls;
  bool record = true;  // long runs only count
  size_t refreshes = 0;
  void AddTrayIcon(const std::u16string& tooltip) override { Record(u"add:" + tooltip); }
  void RefreshTrayIcon(const std::u16string& tooltip, const FaceReading& face) override {
    ++refreshes;
    Record(u"refresh:" + tooltip + u"@" + Number(face.hour) + (face.minute < 10 ? u":0" : u":") +
           Number(face.minute) + (face.fill == FaceFill::kYellow ? u" yellow" : u""));
  }

 private:
  static std::u16string Number(int n) {
    const std::string digits = std::to_string(n);
    return {digits.begin(), digits.end()};
  }
  void Record(std::u16string call) {
    if (record) calls.push_back(std::move(call));
  }
};

// UTF-8 text as EUC-JP bytes, by glibc's own converter (pages for the tests).
inline std::string EucJp(std::string_view utf8) {
  iconv_t cd = iconv_open("EUC-JP", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open");
  std::string in(utf8), out(utf8.size() * 2 + 16, '\0');
  char* inPtr = in.data();
  char* outPtr = out.data();
  size_t inLeft = in.size(), outLeft = out.size();
  const size_t done = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (done == static_cast<size_t>(-1)) throw std::runtime_error("not encodable in EUC-JP");
  out.resize(out.size() - outLeft);
  return out;
}

}  // namespace lotwarden::testing
