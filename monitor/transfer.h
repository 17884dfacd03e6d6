// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace lotwarden {

// How a request ended.
enum class TransferOutcome {
  kError,      // no usable response: refused, unresolved, reset, timed out, unreadable content
  kCompleted,  // a body arrived whole (whatever its HTTP status)
};

// The HTTP transfer: one asynchronous GET at a time. Every Execute that starts a request ends,
// later and on the caller's thread, in exactly one report of its outcome (with the whole body
// when completed) to whoever the implementation was built to report to. An Execute while a
// request is outstanding is refused: no request, no report.
class Transfer {
 public:
  virtual ~Transfer() = default;
  virtual void Execute(const std::u16string& url) = 0;
};

}  // namespace lotwarden
