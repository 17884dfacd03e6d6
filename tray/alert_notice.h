// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "monitor/monitor_state.h"
#include "monitor/window_controls.h"

namespace lotwarden {

// The desktop's notification service, as the alert uses it. Numbers are the service's own for
// its notifications; 0 is none.
class Notifier {
 public:
  virtual ~Notifier() = default;
  // Shows `text`, in place of notification `replaces` where that is still shown, and asks for
  // attention to the window. The service's number for it comes back through
  // AlertNotice::Shown, 0 where no service answered.
  virtual void Notify(const std::u16string& text, std::uint32_t replaces) = 0;
  // Withdraws notification `id`.
  virtual void Close(std::uint32_t id) = 0;
};

// Where no icon can blink, the alert travels as one desktop notification per watch: each price
// change replaces the shown notification, and the user's acknowledgement (the window becoming
// active, the notification clicked or dismissed) ends the alert and withdraws it, as a pointer
// movement over the icon does for the blink. Reports about other programs' notifications are
// ignored.
class AlertNotice {
 public:
  // What the service reports on a closing (the reasons of the notification protocol).
  static constexpr std::uint32_t kDismissedByUser = 2;

  AlertNotice(Notifier& notifier, MonitorState& state, WindowControls& window)
      : notifier_(notifier), state_(state), window_(window) {}

  // Whether the notice carries the alert (no notification area) or an icon does; handing it to
  // an icon withdraws the notification and leaves the alert to the blink.
  void SetCarrier(bool carries);

  // A fetch was collected; `priceBefore` is the last price seen before it.
  void Collected(std::u16string_view priceBefore);
  // The alert may have ended elsewhere (the ID edited, the icon hovered): the notification of
  // an ended alert is withdrawn.
  void Follow();
  // The window became active.
  void WindowActivated();

  // The service's reports.
  void Shown(std::uint32_t id);
  void ActionInvoked(std::uint32_t id, std::u16string_view action);
  void Closed(std::uint32_t id, std::uint32_t reason);

 private:
  void Acknowledge();
  void Withdraw();
  bool Ours(std::uint32_t id) const { return id != 0 && id == shown_; }

  Notifier& notifier_;
  MonitorState& state_;
  WindowControls& window_;
  bool carries_ = false;
  // The notification shown, 0 for none, and the one withdrawn last.
  std::uint32_t shown_ = 0;
  std::uint32_t withdrawn_ = 0;
  // A Notify whose number has not come back yet, and what to do once it has: show this text
  // in its place, or withdraw it.
  bool pending_ = false;
  std::optional<std::u16string> next_;
  bool withdrawWhenShown_ = false;
};

}  // namespace lotwarden
