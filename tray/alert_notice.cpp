// SPDX-License-Identifier: MIT
#include "tray/alert_notice.h"

#include <utility>

namespace lotwarden {

void AlertNotice::SetCarrier(bool carries) {
  carries_ = carries;
  if (!carries_) Withdraw();
}

void AlertNotice::Collected(std::u16string_view priceBefore) {
  // The monitor raises the alert exactly when the price it keeps changes.
  if (!carries_ || state_.lastPrice == priceBefore) return;
  if (pending_) {
    // The number of the one on its way is not known yet: this text replaces it once it is.
    next_ = state_.status;
    withdrawWhenShown_ = false;
    return;
  }
  pending_ = true;
  notifier_.Notify(state_.status, shown_);
}

void AlertNotice::Follow() {
  if (!state_.alert) Withdraw();
}

void AlertNotice::WindowActivated() {
  if (carries_ && state_.alert) Acknowledge();
}

void AlertNotice::Shown(std::uint32_t id) {
  if (!pending_) return;
  pending_ = false;
  shown_ = id;
  if (std::exchange(withdrawWhenShown_, false)) {
    Withdraw();
  } else if (next_) {
    pending_ = true;
    notifier_.Notify(*std::exchange(next_, std::nullopt), shown_);
  }
}

void AlertNotice::ActionInvoked(std::uint32_t id, std::u16string_view action) {
  // A click may pass the withdrawal that the window's activation (which the click itself may
  // bring, as GNOME's does) sent.
  if (!(Ours(id) || (id != 0 && id == withdrawn_)) || action != u"default") return;
  // The service closes a notification whose action was invoked by itself; one click opens the
  // page once, however often it is reported.
  (id == shown_ ? shown_ : withdrawn_) = 0;
  Acknowledge();
  window_.OpenUrl();
}

void AlertNotice::Closed(std::uint32_t id, std::uint32_t reason) {
  if (!Ours(id)) return;
  shown_ = 0;
  if (reason == kDismissedByUser) Acknowledge();
}

void AlertNotice::Acknowledge() {
  // As a pointer movement over the icon: no alert, and the next tick redraws.
  state_.alert = false;
  state_.lastMinute.reset();
  Withdraw();
}

void AlertNotice::Withdraw() {
  if (pending_) {
    withdrawWhenShown_ = true;
    next_.reset();
  }
  if (shown_ != 0) notifier_.Close(withdrawn_ = std::exchange(shown_, 0));
}

}  // namespace lotwarden
