// SPDX-License-Identifier: MIT
#include "monitor/monitor.h"

#include <chrono>

#include "monitor/euc_jp.h"
#include "monitor/page_analysis.h"
#include "monitor/urls.h"

namespace lotwarden {
namespace {

// No interval reaches this far ahead; a next check beyond it means the clock was set back.
constexpr std::chrono::minutes kLongestAhead{kMaxInterval + 1};

std::chrono::minutes Minutes(int count) {
  return std::chrono::minutes{count};
}

}  // namespace

Monitor::Monitor(WindowControls& window, Transfer& transfer, TrayPresence& tray, const Clock& clock)
    : window_(window), transfer_(transfer), tray_(tray), clock_(clock) {}

void Monitor::Start() {
  state_.faceColour = 7;
  state_.alert = false;
  window_.SetTimerEnabled(false);
  tray_.AddTrayIcon(window_.StatusCaption());
  state_.nextCheck = MinuteOf(clock_.Now()) + Minutes(window_.SliderValue());
  window_.SetTimerEnabled(true);
}

void Monitor::OnTick() {
  const LocalMinute now = MinuteOf(clock_.Now());
  if (state_.lastMinute == now && !state_.alert) return;

  tray_.CopyTooltip(window_.StatusCaption());
  state_.lastMinute = now;
  const std::u16string minuteText = HourMinute(now);
  // A check that has passed is due however long ago (a machine that slept); one further
  // ahead than any interval reaches is due too (the clock was set back).
  if (state_.nextCheck <= now || state_.nextCheck - now > kLongestAhead) {
    state_.nextCheck = now + Minutes(window_.SliderValue());
    StartFetch();
  }
  tray_.DrawClockFace(minuteText);
  tray_.RefreshTrayIcon();
}

void Monitor::GoToTray() {
  state_.savedInterval = static_cast<std::int16_t>(window_.SliderValue());
  StartFetch();
  state_.nextCheck = MinuteOf(clock_.Now()) + Minutes(window_.SliderValue());
  window_.SetTimerEnabled(true);
}

void Monitor::IdChanged() {
  state_.alert = false;
  window_.SetCurrentBidCaption(u"");
  window_.SetStatusCaption(u"");
  state_.lastMinute.reset();
}

void Monitor::StartFetch() {
  const std::u16string id = window_.AuctionId();
  if (id.empty()) {
    window_.SetStatusCaption(u"Please input AuctionID");
    state_.lastMinute.reset();
    return;
  }
  if (state_.busy) {
    // The previous request has not ended; this one is not started.
    window_.SetStatusCaption(u"Maybe error");
    state_.lastMinute.reset();
    return;
  }
  window_.SetTimerEnabled(false);
  state_.busy = true;
  transfer_.Execute(ItemPageUrl(id));
}

void Monitor::CollectResponse(std::int16_t transferState, std::string_view body) {
  if (transferState == kTransferError) {
    state_.busy = false;
    window_.SetStatusCaption(u"net error");
  } else if (transferState == kTransferResponseCompleted) {
    // busy stays set until the status is in place, so nothing can start a second request
    // in the middle of the collection.
    const std::u16string status = AnalyzePage(DecodeEucJp(body), state_, window_, clock_.Now());
    window_.SetStatusCaption(status);
    state_.busy = false;
  } else {
    return;
  }
  state_.lastMinute.reset();
  window_.SetTimerEnabled(true);
}

}  // namespace lotwarden
