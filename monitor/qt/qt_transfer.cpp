// SPDX-License-Identifier: MIT
#include "monitor/qt/qt_transfer.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QString>
#include <QUrl>
#include <QVariant>
#include <utility>

namespace lotwarden {

namespace {

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
  // Qt's network thread buffers a reply without bound while this thread is busy; its freed
  // buffers can leave that thread's heap holding memory after a big page. The body is taken at
  // every readyRead, so the bound never stalls a transfer.
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

  std::string body;
  if (completed) body.swap(body_);
  std::string().swap(body_);  // no capacity of a big body kept for the next one
  // Last: the report may start the next request, or destroy this object.
  report_(completed ? TransferOutcome::kCompleted : TransferOutcome::kError, std::move(body));
}

}  // namespace lotwarden
