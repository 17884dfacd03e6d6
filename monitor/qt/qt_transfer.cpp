// SPDX-License-Identifier: MIT
#include "monitor/qt/qt_transfer.h"

#include <malloc.h>

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QString>
#include <QUrl>
#include <QVariant>
#include <algorithm>
#include <cstddef>
#include <utility>

namespace lotwarden {

namespace {

// Bodies above the size of the site's item pages (some 200 KB).
constexpr std::size_t kTrimAfterBody = 1024 * 1024;
// How far Qt's network thread may read ahead of us: without a bound a fast server's whole body
// would wait in its buffers while it is copied into ours.
constexpr qint64 kReadAhead = 1024 * 1024;

// A response arrived whole if Qt saw a status line and the transfer itself did not fail.
// Qt turns an HTTP error status into an error code only after the body has arrived in full
// (4xx into content or protocol-operation codes, 5xx into server codes); those bodies count
// as completed responses, since the status is not ours to judge. Any error on a response whose
// status is not an error (a body Qt could not inflate, for one) means the content was not
// read, as do errors of the connection, the proxy, or of the protocol itself.
bool ResponseCompleted(const QNetworkReply& reply) {
  const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
  if (!status.isValid()) return false;
  const QNetworkReply::NetworkError error = reply.error();
  if (error == QNetworkReply::NoError) return true;
  if (status.toInt() < 400) return false;
  if (error < QNetworkReply::ContentAccessDenied) return false;  // connection and proxy errors
  return error != QNetworkReply::ProtocolUnknownError && error != QNetworkReply::ProtocolFailure;
}

}  // namespace

QtTransfer::QtTransfer(Report report, std::chrono::milliseconds inactivityTimeout,
                       std::chrono::milliseconds totalLimit, std::int64_t bodyLimit,
                       QObject* parent)
    : QObject(parent),
      report_(std::move(report)),
      inactivityTimeout_(inactivityTimeout),
      bodyLimit_(bodyLimit) {
  deadline_.setSingleShot(true);
  deadline_.setInterval(totalLimit);
  connect(&deadline_, &QTimer::timeout, this, &QtTransfer::OnDeadline);
}

QtTransfer::~QtTransfer() {
  if (QNetworkReply* reply = reply_.data()) {
    reply_.clear();
    reply->disconnect(this);
    reply->abort();
    delete reply;
  }
}

void QtTransfer::Execute(const std::u16string& url) {
  if (busy()) return;

  // Tolerant parsing: the text is taken as a user would type it into a browser, so a space
  // or a stray '%' is percent-encoded instead of making the URL invalid.
  QNetworkRequest request(QUrl(QString::fromStdU16String(url), QUrl::TolerantMode));
  request.setTransferTimeout(static_cast<int>(inactivityTimeout_.count()));

  body_.clear();
  abandoned_ = false;
  QNetworkReply* reply = manager_.get(request);
  reply->setReadBufferSize(kReadAhead);
  reply_ = reply;
  connect(reply, &QNetworkReply::readyRead, this, &QtTransfer::OnReadyRead);
  // Queued, so that even a reply that fails at once reports from the event loop.
  connect(
      reply, &QNetworkReply::finished, this, [this, reply] { OnFinished(reply); },
      Qt::QueuedConnection);
  if (reply->isFinished()) {
    QMetaObject::invokeMethod(
        this, [this, reply] { OnFinished(reply); }, Qt::QueuedConnection);
  }
  deadline_.start();
}

void QtTransfer::OnReadyRead() {
  TakeBody();
}

bool QtTransfer::TakeBody() {
  QNetworkReply* reply = reply_.data();
  if (reply == nullptr || abandoned_) return false;
  if (!reply->isOpen()) return true;  // closed by a failure of its own: nothing more to read
  const qint64 available = reply->bytesAvailable();
  if (static_cast<std::int64_t>(body_.size()) + available > bodyLimit_) {
    abandoned_ = true;
    reply->abort();
    return false;
  }
  if (body_.empty()) {  // room for an announced body at once, instead of growing by copies
    const qint64 announced = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
    body_.reserve(static_cast<std::size_t>(std::clamp<qint64>(announced, 0, bodyLimit_)));
  }
  const QByteArray chunk = reply->readAll();
  body_.append(chunk.constData(), static_cast<std::size_t>(chunk.size()));
  return true;
}

void QtTransfer::OnDeadline() {
  if (QNetworkReply* reply = reply_.data()) {
    abandoned_ = true;
    reply->abort();
  }
}

void QtTransfer::OnFinished(QNetworkReply* reply) {
  // A reply already reported (the queued finished signal and the isFinished() check can both
  // arrive) or one left behind by the destructor.
  if (reply != reply_.data()) return;

  const bool completed = TakeBody() && ResponseCompleted(*reply);
  deadline_.stop();
  reply_.clear();
  reply->disconnect(this);
  reply->deleteLater();

  const bool big = body_.size() > kTrimAfterBody;
  std::string body;
  if (completed) body.swap(body_);
  std::string().swap(body_);  // no capacity of a big body kept for the next one
  // Last: the report may start the next request, or destroy this object.
  report_(completed ? TransferOutcome::kCompleted : TransferOutcome::kError, std::move(body));
#ifdef __GLIBC__
  // The body, its text and the copies of a big page are freed by now, but glibc keeps them: one
  // big free raises its mmap threshold, so the next big buffers come from the heap, whose free
  // pages go back to the system only from its top, and only past a threshold that rose too.
  if (big) malloc_trim(0);
#endif
}

}  // namespace lotwarden
