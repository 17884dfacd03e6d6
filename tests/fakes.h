// SPDX-License-Identifier: MIT
#pragma once
// Hand-driven stand-ins for the clock, the transfer, the tray and the window's controls.

#include <iconv.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "monitor/clock.h"
#include "monitor/transfer.h"
#include "monitor/tray_presence.h"
#include "monitor/window_controls.h"

namespace lotwarden::testing {

class FakeClock : public Clock {
 public:
  explicit FakeClock(LocalSeconds start) : now(start) {}
  LocalSeconds Now() const override { return now; }
  LocalSeconds now;
};

// Records every request; answers at once through `respond` if set, else leaves it outstanding.
class FakeTransfer : public Transfer {
 public:
  std::vector<std::u16string> urls;
  std::function<void(const std::u16string& url)> respond;
  void Execute(const std::u16string& url) override {
    urls.push_back(url);
    if (respond) respond(url);
  }
};

// Records "add:<tooltip>" and "<tooltip>@<H:MM>" (" yellow" after a yellow face).
class FakeTray : public TrayPresence {
 public:
  std::vector<std::u16string> calls;
  void AddTrayIcon(const std::u16string& tooltip) override { calls.push_back(u"add:" + tooltip); }
  void RefreshTrayIcon(const std::u16string& tooltip, const FaceReading& face) override {
    const std::string time = std::to_string(face.hour) + (face.minute < 10 ? ":0" : ":") +
                             std::to_string(face.minute) +
                             (face.fill == FaceFill::kYellow ? " yellow" : "");
    calls.push_back(tooltip + u"@" + std::u16string(time.begin(), time.end()));
  }
};

// The window's controls as plain fields, with the real window's defaults.
class FakeWindow : public WindowControls {
 public:
  std::u16string auctionId;
  StatusFields fields;
  int slider = 5;
  bool timerOn = false;
  int openUrlCalls = 0;
  std::u16string shownStatus;

  std::u16string AuctionId() const override { return auctionId; }
  StatusFields ChosenFields() const override { return fields; }
  int Interval() const override { return slider; }
  void SetInterval(int minutes) override { slider = ClampInterval(minutes); }
  void ShowStatus(const std::u16string& status) override { shownStatus = status; }
  void SetTimerEnabled(bool on) override { timerOn = on; }
  void OpenUrl() override { ++openUrlCalls; }
};

// UTF-8 text as EUC-JP bytes, by glibc's own converter.
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
