// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "monitor/transfer.h"

class QNetworkReply;

namespace lotwarden {

// The HTTP transfer over one QNetworkAccessManager, on the caller's thread.
//
// Execute(url) sends a plain GET (Qt's default headers only, no body) through whatever proxy
// the desktop's settings name (http_proxy / no_proxy on Linux) and later reports exactly once:
// kCompleted with the whole body when a response arrived complete, whatever its HTTP status;
// kError when none did: refused, unresolved, reset, cut short, content that could not be read
// (such as a compressed body that inflates past Qt's safety limit), no data for the inactivity
// time-out, not done within the total limit, or a body over the body limit.
// Reports are always delivered from the event loop, never from inside Execute.
//
// One request at a time: an Execute while one is outstanding is refused. It starts nothing and
// reports nothing, since a report carries no request identity and an extra error report would
// read as the end of the outstanding request while that request is still in flight.
// Destroying the adapter cancels an outstanding request without a report.
class QtTransfer : public QObject, public Transfer {
  Q_OBJECT

 public:
  using Report = std::function<void(TransferOutcome outcome, std::string body)>;

  static constexpr std::chrono::milliseconds kDefaultInactivityTimeout{std::chrono::seconds(60)};
  static constexpr std::chrono::milliseconds kDefaultTotalLimit{std::chrono::minutes(5)};
  static constexpr std::int64_t kDefaultBodyLimit = 16 * 1024 * 1024;
  // The most that Qt reads ahead of the body taken so far.
  static constexpr qint64 kReadAhead = 1024 * 1024;

  explicit QtTransfer(Report report,
                      std::chrono::milliseconds inactivityTimeout = kDefaultInactivityTimeout,
                      std::chrono::milliseconds totalLimit = kDefaultTotalLimit,
                      std::int64_t bodyLimit = kDefaultBodyLimit, QObject* parent = nullptr);
  ~QtTransfer() override;

  QtTransfer(const QtTransfer&) = delete;
  QtTransfer& operator=(const QtTransfer&) = delete;

  void Execute(const std::u16string& url) override;

  // Whether a request is outstanding (its report has not been delivered yet).
  bool busy() const { return !reply_.isNull(); }

 private:
  void OnReadyRead();
  void OnFinished(QNetworkReply* reply);
  void OnDeadline();
  // Moves what the reply holds into body_; false (and the reply aborted) past the body limit.
  bool TakeBody();

  Report report_;
  std::chrono::milliseconds inactivityTimeout_;
  std::int64_t bodyLimit_;
  QNetworkAccessManager manager_;
  QTimer deadline_;
  QPointer<QNetworkReply> reply_;
  std::string body_;
  bool abandoned_ = false;  // aborted by the body limit or the total limit
};

}  // namespace lotwarden
