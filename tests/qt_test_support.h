// SPDX-License-Identifier: MIT
#pragma once
// Helpers for the Qt tests: a scripted HTTP server reached as the proxy, and control lookup.

#include <QByteArray>
#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWidget>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace lotwarden::testing {

// A request head as the server received it.
struct Request {
  QByteArray line;
  std::vector<QByteArray> headers;  // names, lower-cased
};

// An HTTP server on 127.0.0.1 that records every request head and hands it, with its
// connection, to the responder.
class ScriptedServer {
 public:
  using Responder = std::function<void(QTcpSocket&, const Request&)>;

  explicit ScriptedServer(Responder responder) : responder_(std::move(responder)) {
    if (!server_.listen(QHostAddress::LocalHost, 0)) throw std::runtime_error("listen");
    QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] {
      while (QTcpSocket* socket = server_.nextPendingConnection()) {
        auto buffer = std::make_shared<QByteArray>();
        QObject::connect(socket, &QTcpSocket::readyRead, &server_,
                         [this, socket, buffer] { Read(*socket, *buffer); });
      }
    });
  }
  // The proxy setting that sends every request here.
  QByteArray proxy() const {
    return "http://127.0.0.1:" + QByteArray::number(server_.serverPort());
  }

  std::vector<Request> requests;

 private:
  void Read(QTcpSocket& socket, QByteArray& buffer) {
    buffer += socket.readAll();
    for (qsizetype end; (end = buffer.indexOf("\r\n\r\n")) >= 0;) {
      const QList<QByteArray> lines = buffer.left(end).split('\n');
      buffer.remove(0, end + 4);
      Request request{lines.front().trimmed(), {}};
      for (qsizetype i = 1; i < lines.size(); ++i)
        request.headers.push_back(lines[i].left(lines[i].indexOf(':')).trimmed().toLower());
      requests.push_back(request);
      responder_(socket, requests.back());
    }
  }

  QTcpServer server_;
  Responder responder_;
};

inline QByteArray Response(const QByteArray& statusLine, const QByteArray& body,
                           const QByteArray& extraHeaders = {}) {
  return statusLine + "\r\nContent-Type: text/html; charset=EUC-JP\r\nContent-Length: " +
         QByteArray::number(body.size()) + "\r\n" + extraHeaders + "\r\n" + body;
}

// A responder that sends the same bytes to every request, closing the connection if asked.
inline ScriptedServer::Responder Answer(QByteArray bytes, bool close = false) {
  return [bytes, close](QTcpSocket& socket, const Request&) {
    socket.write(bytes);
    if (close) socket.disconnectFromHost();
  };
}

// A control by object name, or by name and "index" property for a control array member;
// throws (and so fails the test) when there is none.
template <typename T = QWidget>
T* Control(const QWidget& window, const char* name, int index = -1) {
  for (T* control : window.findChildren<T*>(QString::fromLatin1(name))) {
    if (index < 0 || control->property("index").toInt() == index) return control;
  }
  throw std::runtime_error(std::string("no control ") + name + "(" + std::to_string(index) + ")");
}

}  // namespace lotwarden::testing
