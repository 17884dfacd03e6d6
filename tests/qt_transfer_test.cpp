// SPDX-License-Identifier: MIT
// The Qt transfer against a scripted HTTP server on 127.0.0.1, reached the way a user's proxy
// is: http_proxy points at the server and the request keeps the auction site's real URL.
#include <gtest/gtest.h>

#include <QByteArrayList>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "monitor/qt/qt_transfer.h"
#include "monitor/urls.h"
#include "tests/qt_test_support.h"

namespace lotwarden {
namespace {

using namespace std::chrono_literals;
using namespace testing;  // lotwarden::testing
using Outcome = std::pair<TransferOutcome, std::string>;
constexpr auto kError = TransferOutcome::kError;
constexpr auto kCompleted = TransferOutcome::kCompleted;

QByteArray Chunked(const QByteArray& body, qsizetype size) {
  QByteArray out = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
  for (qsizetype at = 0; at < body.size(); at += size)
    out += QByteArray::number(body.mid(at, size).size(), 16) + "\r\n" + body.mid(at, size) + "\r\n";
  return out + "0\r\n\r\n";
}

class QtTransferTest : public ::testing::Test {
 protected:
  // A transfer with the program's own limits unless told otherwise.
  std::unique_ptr<QtTransfer> Make(
      std::chrono::milliseconds inactivity = QtTransfer::kDefaultInactivityTimeout,
      std::chrono::milliseconds total = QtTransfer::kDefaultTotalLimit,
      std::int64_t bodyLimit = QtTransfer::kDefaultBodyLimit) {
    return std::make_unique<QtTransfer>(
        [this](TransferOutcome outcome, std::string body) {
          EXPECT_FALSE(inside_) << "reported from inside Execute";
          reports_.emplace_back(outcome, std::move(body));
          if (afterReport_) afterReport_();
        },
        inactivity, total, bodyLimit);
  }
  void Execute(QtTransfer& transfer, const std::u16string& url) {
    inside_ = true;
    transfer.Execute(url);
    inside_ = false;
  }
  // The next report, and no second one after it.
  Outcome Next(int timeoutMs = 10'000) {
    const size_t before = reports_.size();
    EXPECT_TRUE(QTest::qWaitFor([&] { return reports_.size() > before; }, timeoutMs));
    QTest::qWait(50);
    EXPECT_EQ(reports_.size(), before + 1) << "one request, one report";
    return reports_.size() > before ? reports_[before] : Outcome{kError, "none"};
  }

  std::vector<Outcome> reports_;
  std::function<void()> afterReport_;
  bool inside_ = false;
};

// Whatever the framing or the HTTP status, a body that arrives whole is a completed response,
// byte-exact; a response that does not arrive whole, or whose content cannot be read, is an
// error. The ID goes in as typed, percent-encoded where it would break the URL.
TEST_F(QtTransferTest, EachKindOfAnswerEndsInItsOutcome) {
  QByteArray page = "<html>\xa5\xe4\xa5\xd5 \x8e\xd3\x8e\xde 12,345 \xb1\xdf</html>\n";
  for (int byte = 0; byte < 256; ++byte)
    page.append(static_cast<char>(byte));
  const auto redirect = [](QTcpSocket& socket, const Request& request) {
    socket.write(request.line.contains("/b1 ")
                     ? Response("HTTP/1.1 302 Found", "",
                                "Location: http://page.auctions.yahoo.co.jp/jp/auction/b2\r\n")
                     : Response("HTTP/1.1 200 OK", "moved here"));
  };
  const auto bomb = qCompress(QByteArray(20 << 20, '<'), 9).mid(4);  // 20 KB inflating to 20 MiB
  const QByteArray cut = "Content-Length: 99\r\n\r\n<p>";
  // clang-format off
  const struct {
    const char* name;
    ScriptedServer::Responder responder;
    Outcome outcome;
  } cases[] = {
      {"content-length", Answer(Response("HTTP/1.1 200 OK", page)), {kCompleted, page.toStdString()}},
      {"chunked", Answer(Chunked(page, 100)), {kCompleted, page.toStdString()}},
      {"until close", Answer("HTTP/1.1 200 OK\r\n\r\n" + page, true), {kCompleted, page.toStdString()}},
      {"empty", Answer(Response("HTTP/1.1 200 OK", {})), {kCompleted, ""}},
      {"404", Answer(Response("HTTP/1.1 404 Not Found", "<p>404</p>")), {kCompleted, "<p>404</p>"}},
      {"500", Answer(Response("HTTP/1.1 500 Internal Server Error", "<p>5</p>")), {kCompleted, "<p>5</p>"}},
      {"redirect", redirect, {kCompleted, "moved here"}},
      {"cut short", Answer("HTTP/1.1 200 OK\r\n" + cut, true), {kError, ""}},
      {"404 cut short", Answer("HTTP/1.1 404 Not Found\r\n" + cut, true), {kError, ""}},
      {"closed unanswered", [](QTcpSocket& socket, const Request&) { socket.close(); }, {kError, ""}},
      {"proxy wants credentials", Answer(Response("HTTP/1.1 407 Proxy Authentication Required", "x",
                                                  "Proxy-Authenticate: Basic realm=\"p\"\r\n")), {kError, ""}},
      {"compression bomb", Answer(Response("HTTP/1.1 200 OK", bomb, "Content-Encoding: deflate\r\n")), {kError, ""}}};
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedServer server(c.responder);
    qputenv("http_proxy", server.proxy());
    auto transfer = Make();
    Execute(*transfer, ItemPageUrl(u"b1"));
    EXPECT_EQ(Next(), c.outcome);
  }
  // A plain GET with Qt's own headers only; nothing of the ID becomes a header.
  ScriptedServer server(Answer(Response("HTTP/1.1 200 OK", "ok")));
  qputenv("http_proxy", server.proxy());
  auto transfer = Make();
  Execute(*transfer, ItemPageUrl(u"b 1%zz\r\nX-Injected: ｂ"));
  EXPECT_EQ(Next(), (Outcome{kCompleted, "ok"}));
  EXPECT_EQ(
      server.requests.at(0).line,
      "GET http://page.auctions.yahoo.co.jp/jp/auction/b%201%25zz%0D%0AX-Injected:%20%EF%BD%82 "
      "HTTP/1.1");
  for (const QByteArray& name : server.requests[0].headers)
    EXPECT_TRUE(
        QByteArrayList({"host", "connection", "user-agent", "accept-encoding", "accept-language"})
            .contains(name));
  // Nothing listening, a URL Qt cannot parse, a scheme it does not speak.
  qputenv("http_proxy", "http://127.0.0.1:1");
  for (const std::u16string& url :
       {ItemPageUrl(u"b1"), std::u16string(u"http://[::1/b"), std::u16string(u"gopher://x/b")}) {
    Execute(*transfer, url);
    EXPECT_EQ(Next(), (Outcome{kError, ""}));
  }
}

// The program's limits: a minute without data, five minutes in all, 16 MiB of body. Shortened
// here for time: no data for 1 s ends a stalled request; data trickling in ends at 2 s in all.
TEST_F(QtTransferTest, LimitsEndARequestAsAnError) {
  EXPECT_EQ(QtTransfer::kDefaultInactivityTimeout, 60s);
  EXPECT_EQ(QtTransfer::kDefaultTotalLimit, 5min);
  const auto trickle = [](QTcpSocket& socket, const Request&) {
    socket.write("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n");
    auto* drip = new QTimer(&socket);
    QObject::connect(drip, &QTimer::timeout, &socket, [&socket] { socket.write("x"); });
    drip->start(200);
  };
  for (const auto& [responder, total, atLeastMs] :
       {std::tuple{Answer("HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\n<p>"), 10'000ms, 900},
        {trickle, 2000ms, 1800}}) {
    ScriptedServer server(responder);
    qputenv("http_proxy", server.proxy());
    auto transfer = Make(1s, total);
    QElapsedTimer clock;
    clock.start();
    Execute(*transfer, ItemPageUrl(u"b1"));
    EXPECT_EQ(Next(8000), (Outcome{kError, ""}));
    EXPECT_GE(clock.elapsed(), atLeastMs);
    EXPECT_LT(clock.elapsed(), atLeastMs + 4000);
  }
  // The bytes received count, not the declared length; one byte over the limit is an error.
  ScriptedServer server([](QTcpSocket& socket, const Request& request) {
    const QByteArray id = request.line.split(' ')[1].split('/').back();  // c or l, then the size
    const QByteArray body(id.mid(1).toLongLong(), 'a');
    socket.write(id.startsWith('c') ? Chunked(body, 5000) : Response("HTTP/1.1 200 OK", body));
  });
  qputenv("http_proxy", server.proxy());
  auto small = Make(60s, 5min, 65536), standard = Make();
  for (const auto& [transfer, limit, framing] : {std::tuple{small.get(), 65536, 'l'},
                                                 {small.get(), 65536, 'c'},
                                                 {standard.get(), 16 << 20, 'l'}}) {
    for (const int size : {limit + 1, limit}) {
      const std::string id = framing + std::to_string(size);
      Execute(*transfer, ItemPageUrl(std::u16string(id.begin(), id.end())));
      EXPECT_EQ(Next(), (Outcome{size > limit ? kError : kCompleted,
                                 std::string(size > limit ? 0 : size, 'a')}))
          << id;
    }
  }
}

// One request at a time: a second Execute while one is outstanding never reaches the server,
// the report may start the next, and destroying the transfer cancels without a report.
TEST_F(QtTransferTest, OneRequestAtATime) {
  ScriptedServer server([](QTcpSocket& socket, const Request& request) {
    const QByteArray target = request.line.split(' ')[1];
    if (!target.endsWith("last"))
      QTimer::singleShot(300, &socket,
                         [&socket, target] { socket.write(Response("HTTP/1.1 200 OK", target)); });
  });
  qputenv("http_proxy", server.proxy());
  auto transfer = Make();
  afterReport_ = [&] {
    if (reports_.size() == 1) transfer->Execute(ItemPageUrl(u"third"));
  };
  Execute(*transfer, ItemPageUrl(u"first"));
  Execute(*transfer, ItemPageUrl(u"second"));
  EXPECT_EQ(Next().second, "http://page.auctions.yahoo.co.jp/jp/auction/first");
  EXPECT_EQ(Next().second, "http://page.auctions.yahoo.co.jp/jp/auction/third");
  Execute(*transfer, ItemPageUrl(u"last"));
  ASSERT_TRUE(QTest::qWaitFor([&] { return server.requests.size() == 3; }, 5000));
  transfer.reset();
  QTest::qWait(100);
  EXPECT_EQ(reports_.size(), 2u);
}

}  // namespace
}  // namespace lotwarden

int main(int argc, char** argv) {
  for (const char* name : {"no_proxy", "NO_PROXY", "HTTP_PROXY"})
    qunsetenv(name);
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
