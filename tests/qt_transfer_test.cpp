// SPDX-License-Identifier: MIT
// The Qt transfer against a real HTTP server on 127.0.0.1, reached the way a user's proxy is:
// http_proxy points at the server and the request keeps the auction site's real URL.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "monitor/qt/qt_transfer.h"
#include "monitor/urls.h"
#include "tests/qt_test_support.h"

namespace lotwarden {
namespace {

using namespace std::chrono_literals;
using std::chrono::milliseconds;
using namespace testing;  // lotwarden::testing

constexpr int kWaitMs = 10'000;  // bound on every wait for an outcome
constexpr std::int64_t kSmallLimit = 64 * 1024;
constexpr std::int64_t kSixteenMebibytes = 16 * 1024 * 1024;
const std::u16string kPage = ItemPageUrl(u"b123");

struct Outcome {
  TransferOutcome state;
  std::string body;
  bool operator==(const Outcome&) const = default;
};
void PrintTo(const Outcome& outcome, std::ostream* out) {
  *out << (outcome.state == TransferOutcome::kError ? "error" : "completed") << " \""
       << outcome.body.substr(0, 200) << '"';
}

QByteArray Chunked(const QByteArray& body, qsizetype chunkSize) {
  QByteArray out = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
  for (qsizetype at = 0; at < body.size(); at += chunkSize) {
    const QByteArray chunk = body.mid(at, chunkSize);
    out += QByteArray::number(chunk.size(), 16) + "\r\n" + chunk + "\r\n";
  }
  return out + "0\r\n\r\n";
}

// An item page as the site sends it (EUC-JP, half-width kana included), followed by every
// byte value once, so that any re-encoding or truncation at NUL shows.
QByteArray EucJpPage() {
  QByteArray page(
      "<html><head><title>\xa5\xe4\xa5\xd5\xa5\xaa\xa5\xaf! - \xcb\xfc\xc7\xaf\xc9\xae "
      "\x8e\xd3\x8e\xdd\x8e\xcc\x8e\xde\x8e\xd7\x8e\xdd 146</title></head><body>"
      "\xb8\xbd\xba\xdf\xb2\xc1\xb3\xca 12,345 \xb1\xdf</body></html>\n");
  for (int byte = 0; byte < 256; ++byte)
    page.append(static_cast<char>(byte));
  return page;
}

class QtTransferTest : public ::testing::Test {
 protected:
  std::unique_ptr<QtTransfer> MakeTransfer(
      milliseconds inactivity = QtTransfer::kDefaultInactivityTimeout,
      milliseconds total = QtTransfer::kDefaultTotalLimit,
      std::int64_t bodyLimit = QtTransfer::kDefaultBodyLimit) {
    return std::make_unique<QtTransfer>(
        [this](TransferOutcome state, std::string body) {
          if (insideExecute_) reportedInsideExecute_ = true;
          reports_.push_back({state, std::move(body)});
          if (afterReport_) afterReport_();
        },
        inactivity, total, bodyLimit);
  }

  void Execute(QtTransfer& transfer, const std::u16string& url) {
    insideExecute_ = true;
    transfer.Execute(url);
    insideExecute_ = false;
  }

  // Waits for the next report and checks that no other one follows it.
  Outcome NextOutcome(int timeoutMs = kWaitMs) {
    const std::size_t before = reports_.size();
    EXPECT_TRUE(QTest::qWaitFor([&] { return reports_.size() > before; }, timeoutMs));
    QTest::qWait(50);
    EXPECT_EQ(reports_.size(), before + 1) << "one request, one report";
    EXPECT_FALSE(reportedInsideExecute_) << "reported from inside Execute";
    return reports_.size() > before ? reports_[before] : Outcome{TransferOutcome::kError, "none"};
  }

  // One request for the item page through a server scripted by `responder`.
  Outcome Fetch(const ScriptedServer::Responder& responder) {
    ScriptedServer server(responder);
    qputenv("http_proxy", server.proxy());
    auto transfer = MakeTransfer();
    Execute(*transfer, kPage);
    return NextOutcome();
  }

  std::vector<Outcome> reports_;
  std::function<void()> afterReport_;
  bool insideExecute_ = false;
  bool reportedInsideExecute_ = false;
};

// A plain GET of the real URL with Qt's own headers only and no body. The ID goes in as typed:
// what would make the URL invalid is percent-encoded, and a line break never becomes a header.
TEST_F(QtTransferTest, SendsAPlainGetOfTheItemPageThroughTheProxy) {
  const std::pair<std::u16string, QByteArray> cases[] = {
      {u"b123", "/jp/auction/b123"},
      {u"b 1%zz", "/jp/auction/b%201%25zz"},
      {u"ｂ１", "/jp/auction/%EF%BD%82%EF%BC%91"},
      {u"b1\r\nX-Injected: 1", "/jp/auction/b1%0D%0AX-Injected:%201"},
  };
  const QByteArray qtDefaults[] = {"host", "connection", "user-agent", "accept-encoding",
                                   "accept-language"};
  for (const auto& [id, path] : cases) {
    SCOPED_TRACE(path.toStdString());
    ScriptedServer server(Answer(Response("HTTP/1.1 200 OK", "ok")));
    qputenv("http_proxy", server.proxy());
    auto transfer = MakeTransfer();
    Execute(*transfer, ItemPageUrl(id));
    EXPECT_EQ(NextOutcome(), (Outcome{TransferOutcome::kCompleted, "ok"}));
    ASSERT_EQ(server.requests.size(), 1u);
    EXPECT_EQ(server.requests[0].line, "GET http://page.auctions.yahoo.co.jp" + path + " HTTP/1.1");
    for (const QByteArray& name : server.requests[0].headers)  // no Content-Length either
      EXPECT_NE(std::ranges::find(qtDefaults, name), std::end(qtDefaults)) << name.toStdString();
  }
}

// Whatever the framing, the HTTP status (not the transfer's to judge) or a redirect on the way:
// a body that arrives whole is a completed response, byte-exact.
TEST_F(QtTransferTest, WholeBodyIsACompletedResponse) {
  const QByteArray page = EucJpPage();
  const auto redirect = [](QTcpSocket& socket, const Request& request) {
    socket.write(request.line.contains("/b123 ")
                     ? Response("HTTP/1.1 302 Found", "moved",
                                "Location: http://page.auctions.yahoo.co.jp/jp/auction/b124\r\n")
                     : Response("HTTP/1.1 200 OK", "the page"));
  };
  const struct Case {
    const char* name;
    ScriptedServer::Responder responder;
    QByteArray body;
  } cases[] = {
      {"content-length", Answer(Response("HTTP/1.1 200 OK", page)), page},
      {"chunked", Answer(Chunked(page, 100)), page},
      {"until close", Answer("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + page, true), page},
      {"empty", Answer(Response("HTTP/1.1 200 OK", {})), {}},
      {"403", Answer(Response("HTTP/1.1 403 Forbidden", "<p>403</p>")), "<p>403</p>"},
      {"404", Answer(Response("HTTP/1.1 404 Not Found", "<p>404</p>")), "<p>404</p>"},
      {"500", Answer(Response("HTTP/1.1 500 Internal Server Error", "<p>5</p>")), "<p>5</p>"},
      {"redirect", redirect, "the page"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Fetch(c.responder), (Outcome{TransferOutcome::kCompleted, c.body.toStdString()}));
  }
}

TEST_F(QtTransferTest, NoUsableResponseIsAnError) {
  const std::pair<const char*, ScriptedServer::Responder> cases[] = {
      {"body cut before its Content-Length",
       Answer("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n<html>half", true)},
      {"404 body cut before its Content-Length",
       Answer("HTTP/1.1 404 Not Found\r\nContent-Length: 100\r\n\r\n<html>half", true)},
      {"closed before any answer", [](QTcpSocket& socket, const Request&) { socket.close(); }},
      // The program has no proxy credentials: a proxy that insists lets nothing through.
      {"proxy asking for credentials",
       Answer(Response("HTTP/1.1 407 Proxy Authentication Required", "<html>login</html>",
                       "Proxy-Authenticate: Basic realm=\"proxy\"\r\n"))},
      // 20 KB that would inflate to 20 MiB: Qt stops inflating, and what it read is no page.
      {"compression bomb",
       Answer(Response("HTTP/1.1 200 OK", qCompress(QByteArray(20 << 20, '<'), 9).mid(4),
                       "Content-Encoding: deflate\r\n"))},
  };
  for (const auto& [name, responder] : cases) {
    SCOPED_TRACE(name);
    EXPECT_EQ(Fetch(responder), (Outcome{TransferOutcome::kError, ""}));
  }
}

// A refused connection, and URLs that reach no server: still one error report, from the loop.
TEST_F(QtTransferTest, NoServerToAnswerIsAnError) {
  qputenv("http_proxy", "http://127.0.0.1:1");  // nothing listens there
  for (const std::u16string& url :
       {kPage, std::u16string(u"http://[::1/jp/auction/b123"), std::u16string(u"gopher://x/b1")}) {
    SCOPED_TRACE(QString::fromStdU16String(url).toStdString());
    auto transfer = MakeTransfer();
    Execute(*transfer, url);
    EXPECT_EQ(NextOutcome(), (Outcome{TransferOutcome::kError, ""}));
  }
}

// Shortened limits: no data for the inactivity time-out (1 s) ends a stalled request; data
// trickling in well within it ends at the total limit (2 s).
TEST_F(QtTransferTest, StalledOrTricklingServerIsAnErrorAfterItsTimeLimit) {
  const auto trickle = [](QTcpSocket& socket, const Request&) {
    socket.write("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n");
    auto* drip = new QTimer(&socket);
    QObject::connect(drip, &QTimer::timeout, &socket, [&socket] { socket.write("x"); });
    drip->start(200);
  };
  const struct Case {
    const char* name;
    ScriptedServer::Responder responder;
    milliseconds total;
    int atLeastMs;
  } cases[] = {
      {"stalled after the headers", Answer("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n<p>"),
       10s, 900},
      {"trickling", trickle, 2s, 1800},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedServer server(c.responder);
    qputenv("http_proxy", server.proxy());
    auto transfer = MakeTransfer(1s, c.total);
    QElapsedTimer clock;
    clock.start();
    Execute(*transfer, kPage);
    EXPECT_EQ(NextOutcome(8000), (Outcome{TransferOutcome::kError, ""}));
    EXPECT_GE(clock.elapsed(), c.atLeastMs);
    EXPECT_LT(clock.elapsed(), c.atLeastMs + 4000);
  }
}

// The limit counts the bytes received, not the declared length: one byte over it abandons the
// body, exactly at it keeps it, and the same transfer carries on after an abandoned body.
TEST_F(QtTransferTest, BodyLimitHolds) {
  // The ID names the body: "c" (chunked) or "l" (Content-Length), then its size.
  ScriptedServer server([](QTcpSocket& socket, const Request& request) {
    const QByteArray id = request.line.split(' ')[1].split('/').back();
    const QByteArray body(id.mid(1).toLongLong(), 'a');
    socket.write(id.startsWith('c') ? Chunked(body, 5000) : Response("HTTP/1.1 200 OK", body));
  });
  qputenv("http_proxy", server.proxy());
  auto small = MakeTransfer(QtTransfer::kDefaultInactivityTimeout, QtTransfer::kDefaultTotalLimit,
                            kSmallLimit);
  auto standard = MakeTransfer();
  const std::pair<std::int64_t, char> cases[] = {
      {kSmallLimit, 'l'}, {kSmallLimit, 'c'}, {kSixteenMebibytes, 'l'}};
  for (const auto& [limit, framing] : cases) {
    for (const std::int64_t size : {limit + 1, limit}) {
      const std::string id = framing + std::to_string(size);
      SCOPED_TRACE(id);
      Execute(limit == kSmallLimit ? *small : *standard,
              ItemPageUrl(std::u16string(id.begin(), id.end())));
      const bool over = size > limit;
      EXPECT_EQ(NextOutcome(),
                (Outcome{over ? TransferOutcome::kError : TransferOutcome::kCompleted,
                         std::string(over ? 0 : size, 'a')}));
    }
  }
}

// One request at a time: a second Execute while one is outstanding never reaches the server,
// while the report itself may already start the next request.
TEST_F(QtTransferTest, SecondExecuteWhileOneIsOutstandingIsRefused) {
  ScriptedServer server([](QTcpSocket& socket, const Request& request) {
    const QByteArray target = request.line.split(' ')[1];
    QTimer::singleShot(300, &socket,
                       [&socket, target] { socket.write(Response("HTTP/1.1 200 OK", target)); });
  });
  qputenv("http_proxy", server.proxy());
  auto transfer = MakeTransfer();
  afterReport_ = [&] {
    if (reports_.size() == 1) transfer->Execute(ItemPageUrl(u"third"));
  };
  Execute(*transfer, ItemPageUrl(u"first"));
  Execute(*transfer, ItemPageUrl(u"second"));
  EXPECT_EQ(NextOutcome().body, "http://page.auctions.yahoo.co.jp/jp/auction/first");
  EXPECT_EQ(NextOutcome().body, "http://page.auctions.yahoo.co.jp/jp/auction/third");
  EXPECT_EQ(server.requests.size(), 2u);
}

TEST_F(QtTransferTest, DestroyingTheTransferCancelsWithoutAReport) {
  ScriptedServer server(Answer({}));  // never answers
  qputenv("http_proxy", server.proxy());
  auto transfer = MakeTransfer();
  Execute(*transfer, kPage);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !server.requests.empty(); }, kWaitMs));
  transfer.reset();
  QTest::qWait(100);
  EXPECT_TRUE(reports_.empty());
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
