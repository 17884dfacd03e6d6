// SPDX-License-Identifier: MIT
// The alert as a desktop notification: when it is shown, replaced, acknowledged and withdrawn.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>

#include "tests/fakes.h"
#include "tray/alert_notice.h"

namespace lotwarden {
namespace {

struct Fixture : Notifier, testing::FakeWindow {
  std::string log;
  MonitorState state;
  AlertNotice notice{*this, state, *this};
  void Notify(const std::u16string& text, std::uint32_t replaces) override {
    log += "notify " + std::string(text.begin(), text.end()) + " " + std::to_string(replaces) + ";";
  }
  void Close(std::uint32_t id) override { log += "close " + std::to_string(id) + ";"; }
  void OpenUrl() override { log += "open;"; }

  // One event: carry, icon, price=P (a fetch with a new price), same (a fetch, no change),
  // shown=N, click=N (the default action), closed=N/REASON,
  // active (the window), edit (the ID edited, which ends the alert).
  void Run(const std::string& event) {
    const std::string arg = event.substr(event.find('=') + 1);
    const auto number = [&arg] { return static_cast<std::uint32_t>(std::stoul(arg)); };
    if (event == "carry" || event == "icon") {
      notice.SetCarrier(event == "carry");
    } else if (event.starts_with("price=")) {
      const std::u16string before = std::exchange(state.lastPrice, {arg.begin(), arg.end()});
      state.status = state.lastPrice;
      state.alert = true;
      notice.Collected(before);
    } else if (event == "same") {
      notice.Collected(state.lastPrice);
    } else if (event.starts_with("shown=")) {
      notice.Shown(number());
    } else if (event.starts_with("click=")) {
      notice.ActionInvoked(number(), u"default");
    } else if (event.starts_with("closed=")) {
      notice.Closed(number(), std::stoul(arg.substr(arg.find('/') + 1)));
    } else if (event == "active") {
      notice.WindowActivated();
    } else if (event == "edit") {  // as the monitor's steps for an edited ID
      state.alert = false;
      state.lastMinute.reset();
      notice.Follow();
    }
  }
};

TEST(AlertNotice, OneNotificationPerWatchUntilAcknowledged) {
  // clang-format off
  const std::pair<const char*, const char*> cases[] = {
      // An icon carries the alert: no notification.
      {"price=1 same active", "| alert"},
      // Each change replaces the one shown; an unchanged price raises none.
      {"carry price=1 shown=7 price=2 shown=7 same", "notify 1 0;notify 2 7;| alert"},
      // Reports about other programs' notifications change nothing.
      {"carry price=1 shown=7 click=8 closed=8/2", "notify 1 0;| alert"},
      // A click opens the page and acknowledges; the service closes it by itself.
      {"carry price=1 shown=7 click=7 closed=7/2 price=2", "notify 1 0;open;notify 2 0;| alert"},
      // Expired: forgotten, but the alert stands (a dismissal acknowledges).
      {"carry price=1 shown=7 closed=7/1 price=2", "notify 1 0;notify 2 0;| alert"},
      // The window becoming active acknowledges and withdraws; only where the notice carries.
      {"carry price=1 shown=7 active", "notify 1 0;close 7;| ack"},
      // A click that crossed the withdrawal still opens the page, once.
      {"carry price=1 shown=7 active click=7 click=7", "notify 1 0;close 7;open;| ack"},
      // An icon taking over withdraws the notification and leaves the alert to the blink.
      {"carry price=1 shown=7 icon active", "notify 1 0;close 7;| alert"},
      // The alert ended elsewhere: its notification goes.
      {"carry price=1 shown=7 edit", "notify 1 0;close 7;| ack"},
      // While a number is on its way: the latest text replaces it, or it is withdrawn.
      {"carry price=1 price=2 price=3 shown=7 shown=7", "notify 1 0;notify 3 7;| alert"},
      {"carry price=1 price=2 active shown=7", "notify 1 0;close 7;| ack"},
      // No service answered: nothing to replace or withdraw.
      {"carry price=1 shown=0 price=2 shown=0 active", "notify 1 0;notify 2 0;| ack"}};
  // clang-format on
  for (const auto& [events, expected] : cases) {
    Fixture f;
    f.state.lastMinute = LocalMinute{};
    std::istringstream in(events);
    for (std::string event; in >> event;)
      f.Run(event);
    // "ack": the alert ended as the icon's hover ends it, the next tick redrawing.
    const char* end = f.state.alert ? "| alert" : f.state.lastMinute ? "| ?" : "| ack";
    EXPECT_EQ(f.log + end, expected) << events;
  }
}

}  // namespace
}  // namespace lotwarden
