// SPDX-License-Identifier: MIT
#pragma once
// Hand-driven stand-ins for the clock, the transfer, the tray and the window's controls.

#include <iconv.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "monitor/clock.h"
#include "monitor/transfer.h"
#include "monitor/tray_presence.h"
#include "monitor/window_controls.h"

namespace lotwarden::testing {

struct FakeClock : Clock {
  explicit FakeClock(LocalSeconds start) : now(start) {}
  LocalSeconds Now() const override { return now; }
  LocalSeconds now;
};

// Answers at once through `respond` if set, else leaves the request outstanding.
struct FakeTransfer : Transfer {
  std::vector<std::u16string> urls;
  std::function<void(const std::u16string& url)> respond;
  void Execute(const std::u16string& url) override {
    urls.push_back(url);
    if (respond) respond(url);
  }
};

// Records "add:<tooltip>" and "<tooltip>@<H:MM>" (" yellow" after a yellow face).
struct FakeTray : TrayPresence {
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
struct FakeWindow : WindowControls {
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
  std::function<void()> onOpenUrl;
  void OpenUrl() override {
    ++openUrlCalls;
    if (onOpenUrl) onOpenUrl();
  }
};

// UTF-8 text as EUC-JP bytes, by glibc's own converter.
inline std::string EucJp(std::string utf8) {
  const iconv_t cd = iconv_open("EUC-JP", "UTF-8");
  std::string out(utf8.size() * 2, '\0');
  char *in = utf8.data(), *at = out.data();
  size_t inLeft = utf8.size(), outLeft = out.size();
  const size_t done = iconv(cd, &in, &inLeft, &at, &outLeft);
  iconv_close(cd);
  if (done == static_cast<size_t>(-1)) throw std::runtime_error("not encodable in EUC-JP");
  return out.substr(0, out.size() - outLeft);
}

}  // namespace lotwarden::testing
