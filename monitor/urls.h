// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace lotwarden {

// The auction site's page host, for the item pages and the watch list.
inline constexpr std::u16string_view kPageHost = u"page.auctions.yahoo.co.jp";

// The item page: the ID is appended unchanged (no trimming, no escaping).
inline std::u16string ItemPageUrl(std::u16string_view auctionId) {
  std::u16string url = u"http://";
  url.append(kPageHost).append(u"/jp/auction/").append(auctionId);
  return url;
}

inline std::u16string WatchListUrl() {
  std::u16string url = u"http://";
  url.append(kPageHost).append(u"/jp/show/mystatus?select=watchlist");
  return url;
}

}  // namespace lotwarden
