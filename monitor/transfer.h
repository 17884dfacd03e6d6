// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

namespace lotwarden {

// The two outcomes of a request that the monitor acts on.
enum TransferState : std::int16_t {
  kTransferError = 11,              // no usable response: refused, unresolved, reset, timed out
  kTransferResponseCompleted = 12,  // a body arrived (whatever its HTTP status)
};

// The HTTP transfer: one asynchronous GET at a time. Every Execute that starts a request ends,
// later and on the caller's thread, in exactly one report of kTransferError or
// kTransferResponseCompleted (with the whole body) to whoever the implementation was built to
// report to. An Execute while a request is outstanding is refused: no request, no report.
class Transfer {
 public:
  virtual ~Transfer() = default;
  virtual void Execute(const std::u16string& url) = 0;
};

}  // namespace lotwarden
