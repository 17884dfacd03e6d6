// SPDX-License-Identifier: MIT
#include "monitor/monitor.h"

#include <chrono>
#include <utility>

#include "monitor/euc_jp.h"
#include "monitor/interval.h"
#include "monitor/page_analysis.h"
#include "monitor/urls.h"

namespace lotwarden {
namespace {

// No interval reaches this far ahead; a next check beyond it means the clock was set back.
constexpr std::chrono::minutes kLongestAhead{kMaxInterval + 1};

std::chrono::minutes Minutes(int count) {
  return std::chrono::minutes{count};
}

FaceReading FaceOf(LocalMinute minute, FaceFill fill) {
  const std::chrono::hh_mm_ss time{minute - std::chrono::floor<std::chrono::days>(minute)};
  return {static_cast<int>(time.hours().count()), static_cast<int>(time.minutes().count()), fill};
}

}  // namespace

Monitor::Monitor(WindowControls& window, Transfer& transfer, TrayPresence& tray, const Clock& clock)
    : window_(window), transfer_(transfer), tray_(tray), clock_(clock) {}

void Monitor::Start() {
  state_.faceFill = FaceFill::kGrey;
  state_.alert = false;
  window_.SetTimerEnabled(false);
  tray_.AddTrayIcon(state_.status);
  state_.nextCheck = MinuteOf(clock_.Now()) + Minutes(window_.Interval());
  window_.SetTimerEnabled(true);
}

void Monitor::OnTick() {
  const LocalSeconds at = clock_.Now();
  const LocalMinute now = MinuteOf(at);
  if (state_.menuHoldsUntil && at >= *state_.menuHoldsUntil) state_.menuHoldsUntil.reset();
  if (state_.menuHoldsUntil) {
    // An open menu holds the face and the tooltip, never the watch; a blink that the menu's
    // opening acknowledged still turns grey.
    StartFetchIfDue(now);
    if (state_.faceFill == FaceFill::kGrey || state_.alert) return;
  }
  if (state_.lastMinute == now && !state_.alert) return;

  // The tooltip is the status as the minute work begins; a fetch that cannot start shows its
  // message on the next tick, which its emptied lastMinute brings at once.
  const std::u16string tooltip = state_.status;
  state_.lastMinute = now;
  StartFetchIfDue(now);
  state_.faceFill = NextFaceFill(state_.faceFill, state_.alert);
  tray_.RefreshTrayIcon(tooltip, FaceOf(now, state_.faceFill));
}

void Monitor::StartFetchIfDue(LocalMinute now) {
  // A check that has passed is due however long ago (a machine that slept); one further
  // ahead than any interval reaches is due too (the clock was set back).
  if (state_.nextCheck <= now || state_.nextCheck - now > kLongestAhead) {
    state_.nextCheck = now + Minutes(window_.Interval());
    StartFetch();
  }
}

void Monitor::GoToTray() {
  state_.savedInterval = static_cast<std::int16_t>(window_.Interval());
  StartFetch();
  state_.nextCheck = MinuteOf(clock_.Now()) + Minutes(window_.Interval());
  window_.SetTimerEnabled(true);
}

void Monitor::IdChanged() {
  state_.alert = false;
  state_.lastPrice.clear();
  SetStatus(u"");
  state_.lastMinute.reset();
}

void Monitor::StartFetch() {
  const std::u16string id = window_.AuctionId();
  if (id.empty()) {
    SetStatus(u"Please input AuctionID");
    state_.lastMinute.reset();
    return;
  }
  if (state_.busy) {
    // The previous request has not ended; this one is not started.
    SetStatus(u"Maybe error");
    state_.lastMinute.reset();
    return;
  }
  window_.SetTimerEnabled(false);
  state_.busy = true;
  transfer_.Execute(ItemPageUrl(id));
}

void Monitor::CollectResponse(TransferOutcome outcome, std::string_view body) {
  if (outcome == TransferOutcome::kError) {
    state_.busy = false;
    SetStatus(u"net error");
  } else {
    // busy stays set until the status is in place, so nothing started from a dialog that
    // "Open URL" may show can send a second request in the middle of the collection.
    const StatusFields fields = window_.ChosenFields();
    PageReading reading = AnalyzePage(DecodeEucJp(body), fields);
    if (reading.price && *reading.price != state_.lastPrice) {
      state_.alert = true;
      state_.lastPrice = std::move(*reading.price);
    }
    if (reading.ended) window_.SetInterval(ClampInterval(state_.savedInterval));
    if (reading.timePiece) {
      const LocalMinute fetchMinute = state_.lastMinute.value_or(MinuteOf(clock_.Now()));
      if (const auto change = AdaptInterval(*reading.timePiece, window_.Interval(), fetchMinute)) {
        window_.SetInterval(change->interval);
        state_.nextCheck = change->nextCheck;
      }
    }
    if (reading.loginPage) window_.OpenUrl();
    SetStatus(std::move(reading.status));
    state_.busy = false;
  }
  state_.lastMinute.reset();
  window_.SetTimerEnabled(true);
}

void Monitor::SetStatus(std::u16string status) {
  state_.status = std::move(status);
  window_.ShowStatus(state_.status);
}

}  // namespace lotwarden
