// The Qt transfer against a real HTTP server on 127.0.0.1, reached the way a user's proxy is:
// http_proxy points at the server and the request keeps the auction site's real URL.

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "monitor/qt/qt_transfer.h"
#include "monitor/urls.h"

// Readable failure messages for byte strings.
void PrintTo(const QByteArray& bytes, std::ostream* out) {
  *out << '"' << bytes.toStdString() << '"';
}

namespace lotwarden {
namespace {

using namespace std::chrono_literals;

constexpr int kWaitMs = 10'000;  // bound on every wait for an outcome
constexpr std::int64_t kSmallLimit = 64 * 1024;
constexpr std::int64_t kSixteenMebibytes = 16 * 1024 * 1024;

// The request head as the server received it, split into request line and header lines.
struct Request {
  QByteArray line;
  std::vector<std::pair<QByteArray, QByteArray>> headers;  // name lower-cased, value trimmed

  bool Has(const QByteArray& name) const {
    for (const auto& header : headers) {
      if (header.first == name) return true;
    }
    return false;
  }
  QByteArray Value(const QByteArray& name) const {
    for (const auto& header : headers) {
      if (header.first == name) return header.second;
    }
    return {};
  }
};

// A small HTTP server scripted per case: every request head that arrives is recorded and
// handed, with its connection, to the case's responder.
class ScriptedServer : public QObject {
 public:
  using Responder = std::function<void(QTcpSocket&, const Request&)>;

  explicit ScriptedServer(Responder responder) : responder_(std::move(responder)) {
    EXPECT_TRUE(server_.listen(QHostAddress::LocalHost, 0));
    connect(&server_, &QTcpServer::newConnection, this, [this] {
      while (QTcpSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Read(*socket); });
      }
    });
  }

  quint16 port() const { return server_.serverPort(); }
  const std::vector<Request>& requests() const { return requests_; }
  // Bytes received that are not part of a request head (a request body would land here).
  QByteArray unparsed() const {
    QByteArray all;
    for (const auto& entry : pending_)
      all += entry.second;
    return all;
  }

 private:
  void Read(QTcpSocket& socket) {
    QByteArray& buffer = pending_[&socket];
    buffer += socket.readAll();
    for (;;) {
      const qsizetype end = buffer.indexOf("\r\n\r\n");
      if (end < 0) return;
      const QList<QByteArray> lines = buffer.left(end).split('\n');
      buffer.remove(0, end + 4);
      Request request;
      request.line = lines.front().trimmed();
      for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        request.headers.emplace_back(lines[i].left(colon).trimmed().toLower(),
                                     lines[i].mid(colon + 1).trimmed());
      }
      requests_.push_back(request);
      responder_(socket, request);
    }
  }

  QTcpServer server_;
  Responder responder_;
  std::vector<Request> requests_;
  std::map<QTcpSocket*, QByteArray> pending_;
};

QByteArray Response(const QByteArray& statusLine, const QByteArray& body,
                    const QByteArray& extraHeaders = {}) {
  return statusLine + "\r\nContent-Type: text/html; charset=EUC-JP\r\nContent-Length: " +
         QByteArray::number(body.size()) + "\r\n" + extraHeaders + "\r\n" + body;
}

QByteArray Chunked(const QByteArray& body, qsizetype chunkSize) {
  QByteArray out;
  for (qsizetype at = 0; at < body.size(); at += chunkSize) {
    const QByteArray chunk = body.mid(at, chunkSize);
    out += QByteArray::number(chunk.size(), 16) + "\r\n" + chunk + "\r\n";
  }
  return out + "0\r\n\r\n";
}

// Ends the connection with a TCP reset instead of an orderly close.
void Reset(QTcpSocket& socket) {
  const linger hard{1, 0};
  ::setsockopt(static_cast<int>(socket.socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard,
               sizeof hard);
  socket.abort();
}

// An item page as the site sends it (EUC-JP, half-width kana included), followed by every
// byte value once, so that any re-encoding or truncation at NUL shows.
QByteArray EucJpPage() {
  QByteArray page(
      "<html><head><title>\xa5\xe4\xa5\xd5\xa5\xaa\xa5\xaf! - \xcb\xfc\xc7\xaf\xc9\xae "
      "\x8e\xd3\x8e\xdd\x8e\xcc\x8e\xde\x8e\xd7\x8e\xdd 146</title></head><body>"
      "\xb8\xbd\xba\xdf\xb2\xc1\xb3\xca 12,345 \xb1\xdf \xbb\xc4\xa4\xea\xbb\xfe\xb4\xd6 3 "
      "\xc6\xfc</body></html>\n");
  for (int byte = 0; byte < 256; ++byte)
    page.append(static_cast<char>(byte));
  return page;
}

std::string Bytes(const QByteArray& bytes) {
  return bytes.toStdString();
}

class QtTransferTest : public ::testing::Test {
 protected:
  struct Outcome {
    std::int16_t state;
    std::string body;
  };

  void SetUp() override {
    qunsetenv("no_proxy");
    qunsetenv("NO_PROXY");
    qunsetenv("HTTP_PROXY");
  }

  static void ProxyThrough(quint16 port) {
    qputenv("http_proxy", "http://127.0.0.1:" + QByteArray::number(port));
  }

  std::unique_ptr<QtTransfer> MakeTransfer(
      std::chrono::milliseconds inactivity = QtTransfer::kDefaultInactivityTimeout,
      std::chrono::milliseconds total = QtTransfer::kDefaultTotalLimit,
      std::int64_t bodyLimit = QtTransfer::kDefaultBodyLimit) {
    return std::make_unique<QtTransfer>(
        [this](std::int16_t state, std::string body) {
          if (insideExecute_) reportedInsideExecute_ = true;
          reports_.push_back({state, std::move(body)});
        },
        inactivity, total, bodyLimit);
  }

  void Execute(QtTransfer& transfer, std::u16string_view id) {
    insideExecute_ = true;
    transfer.Execute(ItemPageUrl(id));
    insideExecute_ = false;
  }

  // Waits for the next report and checks that no other one follows it.
  Outcome NextOutcome(int timeoutMs = kWaitMs) {
    const std::size_t before = reports_.size();
    EXPECT_TRUE(QTest::qWaitFor([&] { return reports_.size() > before; }, timeoutMs))
        << "no report";
    QTest::qWait(50);
    EXPECT_EQ(reports_.size(), before + 1) << "one request, one report";
    EXPECT_FALSE(reportedInsideExecute_) << "reported from inside Execute";
    if (reports_.size() <= before) return {0, {}};
    return reports_[before];
  }

  // Runs one request for `id` against a server scripted by `responder`.
  Outcome Fetch(const ScriptedServer::Responder& responder, std::u16string_view id = u"b123",
                std::int64_t bodyLimit = QtTransfer::kDefaultBodyLimit) {
    ScriptedServer server(responder);
    ProxyThrough(server.port());
    auto transfer = MakeTransfer(QtTransfer::kDefaultInactivityTimeout,
                                 QtTransfer::kDefaultTotalLimit, bodyLimit);
    Execute(*transfer, id);
    return NextOutcome();
  }

  std::vector<Outcome> reports_;
  bool insideExecute_ = false;
  bool reportedInsideExecute_ = false;
};

ScriptedServer::Responder Answer(QByteArray bytes, bool close = false) {
  return [bytes, close](QTcpSocket& socket, const Request&) {
    socket.write(bytes);
    if (close) socket.disconnectFromHost();
  };
}

TEST_F(QtTransferTest, SendsAPlainGetOfTheItemPageThroughTheProxy) {
  ScriptedServer server(Answer(Response("HTTP/1.1 200 OK", "ok")));
  ProxyThrough(server.port());
  auto transfer = MakeTransfer();
  Execute(*transfer, u"b123");
  const Outcome outcome = NextOutcome();
  EXPECT_EQ(outcome.state, kTransferResponseCompleted);
  EXPECT_EQ(outcome.body, "ok");

  ASSERT_EQ(server.requests().size(), 1u);
  const Request& request = server.requests().front();
  EXPECT_EQ(request.line, "GET http://page.auctions.yahoo.co.jp/jp/auction/b123 HTTP/1.1");
  EXPECT_EQ(request.Value("host"), "page.auctions.yahoo.co.jp");
  // No body: none declared and none sent.
  EXPECT_FALSE(request.Has("content-length"));
  EXPECT_FALSE(request.Has("transfer-encoding"));
  EXPECT_TRUE(server.unparsed().isEmpty());
  // Only what Qt sends by itself; the program adds no header of its own.
  const std::vector<QByteArray> qtDefaults = {"host", "connection", "user-agent", "accept-encoding",
                                              "accept-language"};
  for (const auto& header : request.headers) {
    EXPECT_NE(std::find(qtDefaults.begin(), qtDefaults.end(), header.first), qtDefaults.end())
        << "unexpected header " << header.first.toStdString() << ": "
        << header.second.toStdString();
  }
}

TEST_F(QtTransferTest, BodyArrivesByteExact) {
  const QByteArray page = EucJpPage();
  const QByteArray deflated = qCompress(page).mid(4);  // zlib stream without Qt's length prefix
  const QByteArray kilobyte(1024, '\xa4');
  struct Case {
    const char* name;
    QByteArray response;
    bool close;
    QByteArray body;
  };
  const Case cases[] = {
      {"content-length", Response("HTTP/1.1 200 OK", page), false, page},
      {"chunked", "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" + Chunked(page, 100),
       false, page},
      {"until close", "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + page, true, page},
      {"deflate-encoded", Response("HTTP/1.1 200 OK", deflated, "Content-Encoding: deflate\r\n"),
       false, page},
      {"exactly 1024 bytes", Response("HTTP/1.1 200 OK", kilobyte), false, kilobyte},
      {"empty", Response("HTTP/1.1 200 OK", {}), false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Outcome outcome = Fetch(Answer(c.response, c.close));
    EXPECT_EQ(outcome.state, kTransferResponseCompleted);
    EXPECT_EQ(outcome.body, Bytes(c.body));
  }
}

// The status is not the transfer's to judge: an error page whose body arrives is a response.
TEST_F(QtTransferTest, ErrorStatusWithItsBodyIsACompletedResponse) {
  const QByteArray statusLines[] = {
      "HTTP/1.1 404 Not Found", "HTTP/1.1 500 Internal Server Error",
      "HTTP/1.1 403 Forbidden", "HTTP/1.1 400 Bad Request",
      "HTTP/1.1 410 Gone",      "HTTP/1.1 503 Service Unavailable",
      "HTTP/1.1 599 Odd",       "HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"x\"",
      "HTTP/1.0 200 OK",
  };
  for (const QByteArray& statusLine : statusLines) {
    SCOPED_TRACE(statusLine.toStdString());
    const QByteArray body = "<html>" + statusLine + "</html>";
    const Outcome outcome = Fetch(Answer(Response(statusLine, body)));
    EXPECT_EQ(outcome.state, kTransferResponseCompleted);
    EXPECT_EQ(outcome.body, Bytes(body));
  }
}

TEST_F(QtTransferTest, RedirectIsFollowed) {
  ScriptedServer server([](QTcpSocket& socket, const Request& request) {
    if (request.line.contains("/b123 ")) {
      socket.write(Response("HTTP/1.1 302 Found", "moved",
                            "Location: http://page.auctions.yahoo.co.jp/jp/auction/b124\r\n"));
    } else {
      socket.write(Response("HTTP/1.1 200 OK", "the page"));
    }
  });
  ProxyThrough(server.port());
  auto transfer = MakeTransfer();
  Execute(*transfer, u"b123");
  const Outcome outcome = NextOutcome();
  EXPECT_EQ(outcome.state, kTransferResponseCompleted);
  EXPECT_EQ(outcome.body, "the page");
  ASSERT_EQ(server.requests().size(), 2u);
  EXPECT_EQ(server.requests()[1].line,
            "GET http://page.auctions.yahoo.co.jp/jp/auction/b124 HTTP/1.1");
}

TEST_F(QtTransferTest, NoUsableResponseIsAnError) {
  struct Case {
    const char* name;
    ScriptedServer::Responder responder;
  };
  const Case cases[] = {
      {"body cut before its Content-Length",
       Answer("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n<html>half", true)},
      {"404 body cut before its Content-Length",
       Answer("HTTP/1.1 404 Not Found\r\nContent-Length: 100\r\n\r\n<html>half", true)},
      {"chunked body cut inside a chunk",
       Answer("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n64\r\n<html>half", true)},
      {"closed before any answer", [](QTcpSocket& socket, const Request&) { socket.close(); }},
      {"reset after the headers",
       [](QTcpSocket& socket, const Request&) {
         socket.write("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n<html>");
         socket.flush();
         Reset(socket);
       }},
      {"reset before any answer", [](QTcpSocket& socket, const Request&) { Reset(socket); }},
      // The program has no proxy credentials: a proxy that insists lets nothing through.
      {"proxy asking for credentials",
       Answer(Response("HTTP/1.1 407 Proxy Authentication Required", "<html>login</html>",
                       "Proxy-Authenticate: Basic realm=\"proxy\"\r\n"))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Outcome outcome = Fetch(c.responder);
    EXPECT_EQ(outcome.state, kTransferError);
    EXPECT_EQ(outcome.body, "");
  }
}

TEST_F(QtTransferTest, ConnectionRefusedIsAnError) {
  quint16 deadPort = 0;
  {
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    deadPort = probe.serverPort();
  }
  ProxyThrough(deadPort);
  auto transfer = MakeTransfer();
  Execute(*transfer, u"b123");
  EXPECT_EQ(NextOutcome().state, kTransferError);
}

// URLs that never reach a server; the failure is still reported later, from the event loop.
TEST_F(QtTransferTest, UrlThatLeadsNowhereIsAnError) {
  qunsetenv("http_proxy");
  const std::u16string urls[] = {
      u"http://lotwarden-test.invalid/jp/auction/b123",  // does not resolve
      u"http://[::1/jp/auction/b123",                    // not a URL
      u"gopher://page.auctions.yahoo.co.jp/b123",        // a scheme Qt does not speak
  };
  for (const std::u16string& url : urls) {
    SCOPED_TRACE(QString::fromStdU16String(url).toStdString());
    // Short limits, so that a resolver that never answers also ends in an error, and soon.
    auto transfer = MakeTransfer(3s, 4s);
    insideExecute_ = true;
    transfer->Execute(url);
    insideExecute_ = false;
    EXPECT_EQ(NextOutcome().state, kTransferError);
  }
}

TEST_F(QtTransferTest, SilentServerIsAnErrorAfterTheInactivityTimeout) {
  struct Case {
    const char* name;
    QByteArray sent;  // what the server sends before falling silent
  };
  const Case cases[] = {
      {"no answer", {}},
      {"silent after the headers", "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n<html>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedServer server(Answer(c.sent));
    ProxyThrough(server.port());
    auto transfer = MakeTransfer(1s, 10s);
    QElapsedTimer clock;
    clock.start();
    Execute(*transfer, u"b123");
    EXPECT_EQ(NextOutcome(6000).state, kTransferError);
    EXPECT_GE(clock.elapsed(), 900);
    EXPECT_LT(clock.elapsed(), 5000);
  }
}

TEST_F(QtTransferTest, TricklingServerIsAnErrorAfterTheTotalLimit) {
  int sent = 0;
  ScriptedServer server([&sent](QTcpSocket& socket, const Request&) {
    socket.write("HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n");
    auto* drip = new QTimer(&socket);
    QObject::connect(drip, &QTimer::timeout, &socket, [&socket, &sent] {
      socket.write("x");
      ++sent;
    });
    drip->start(200);
  });
  ProxyThrough(server.port());
  // Each byte comes well within the inactivity time-out; only the total limit ends it.
  auto transfer = MakeTransfer(1s, 2s);
  QElapsedTimer clock;
  clock.start();
  Execute(*transfer, u"b123");
  EXPECT_EQ(NextOutcome(8000).state, kTransferError);
  EXPECT_GE(clock.elapsed(), 1800);
  EXPECT_LT(clock.elapsed(), 6000);
  EXPECT_GE(sent, 5);
}

TEST_F(QtTransferTest, BodyOverTheLimitIsAbandoned) {
  struct Framing {
    const char* name;
    std::function<QByteArray(const QByteArray&)> frame;
    bool close;
  };
  const Framing framings[] = {
      {"content-length", [](const QByteArray& body) { return Response("HTTP/1.1 200 OK", body); },
       false},
      {"chunked",
       [](const QByteArray& body) {
         return "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" + Chunked(body, 5000);
       },
       false},
      {"until close",
       [](const QByteArray& body) { return "HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + body; },
       true},
      {"deflate-encoded",
       [](const QByteArray& body) {
         return Response("HTTP/1.1 200 OK", qCompress(body).mid(4),
                         "Content-Encoding: deflate\r\n");
       },
       false},
  };
  for (const Framing& framing : framings) {
    SCOPED_TRACE(framing.name);
    const QByteArray atLimit(kSmallLimit, 'a');
    const QByteArray overLimit(kSmallLimit + 1, 'a');

    Outcome outcome = Fetch(Answer(framing.frame(overLimit), framing.close), u"b123", kSmallLimit);
    EXPECT_EQ(outcome.state, kTransferError);
    EXPECT_EQ(outcome.body, "");

    outcome = Fetch(Answer(framing.frame(atLimit), framing.close), u"b123", kSmallLimit);
    EXPECT_EQ(outcome.state, kTransferResponseCompleted);
    EXPECT_EQ(outcome.body, Bytes(atLimit));
  }
}

TEST_F(QtTransferTest, DefaultBodyLimitIsSixteenMebibytes) {
  ScriptedServer server([](QTcpSocket& socket, const Request& request) {
    const bool over = request.line.contains("/over ");
    socket.write(Response("HTTP/1.1 200 OK", QByteArray(kSixteenMebibytes + (over ? 1 : 0), 'a')));
  });
  ProxyThrough(server.port());
  auto transfer = MakeTransfer();

  Execute(*transfer, u"over");
  EXPECT_EQ(NextOutcome().state, kTransferError);

  // The same transfer carries on normally after an abandoned body.
  Execute(*transfer, u"at");
  const Outcome outcome = NextOutcome();
  EXPECT_EQ(outcome.state, kTransferResponseCompleted);
  EXPECT_EQ(outcome.body.size(), static_cast<std::size_t>(kSixteenMebibytes));
}

TEST_F(QtTransferTest, SecondExecuteWhileOneIsOutstandingIsRefused) {
  ScriptedServer server([](QTcpSocket& socket, const Request& request) {
    const QByteArray body = request.line.split(' ')[1];
    QPointer<QTcpSocket> later(&socket);
    QTimer::singleShot(300, [later, body] {
      if (later) later->write(Response("HTTP/1.1 200 OK", body));
    });
  });
  ProxyThrough(server.port());
  auto transfer = MakeTransfer();

  Execute(*transfer, u"first");
  EXPECT_TRUE(transfer->busy());
  Execute(*transfer, u"second");
  const Outcome outcome = NextOutcome();
  EXPECT_EQ(outcome.state, kTransferResponseCompleted);
  EXPECT_EQ(outcome.body, "http://page.auctions.yahoo.co.jp/jp/auction/first");
  QTest::qWait(400);  // long enough for a second request to have been answered
  EXPECT_EQ(reports_.size(), 1u);
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_FALSE(transfer->busy());

  // Once the report is in, the next request goes out.
  Execute(*transfer, u"third");
  EXPECT_EQ(NextOutcome().body, "http://page.auctions.yahoo.co.jp/jp/auction/third");
  EXPECT_EQ(server.requests().size(), 2u);
}

TEST_F(QtTransferTest, ReportMayStartTheNextRequest) {
  ScriptedServer server(Answer(Response("HTTP/1.1 200 OK", "page")));
  ProxyThrough(server.port());
  std::unique_ptr<QtTransfer> transfer;
  int reports = 0;
  transfer = std::make_unique<QtTransfer>([&](std::int16_t state, std::string) {
    EXPECT_EQ(state, kTransferResponseCompleted);
    if (++reports < 3) transfer->Execute(ItemPageUrl(u"b123"));
  });
  transfer->Execute(ItemPageUrl(u"b123"));
  EXPECT_TRUE(QTest::qWaitFor([&] { return reports == 3; }, kWaitMs));
  QTest::qWait(50);
  EXPECT_EQ(reports, 3);
  EXPECT_EQ(server.requests().size(), 3u);
}

TEST_F(QtTransferTest, DestroyingTheTransferCancelsWithoutAReport) {
  ScriptedServer server(Answer({}));  // never answers
  ProxyThrough(server.port());
  auto transfer = MakeTransfer();
  Execute(*transfer, u"b123");
  EXPECT_TRUE(QTest::qWaitFor([&] { return !server.requests().empty(); }, kWaitMs));
  transfer.reset();
  QTest::qWait(100);
  EXPECT_TRUE(reports_.empty());
}

// The ID goes into the URL as typed. Qt parses the text tolerantly: what would make the URL
// invalid is percent-encoded (UTF-8 for non-ASCII, a stray '%' as %25), an encoded unreserved
// character is decoded, "." and ".." path segments are resolved, '?' starts a query and '#' a
// fragment, which is not sent; a line break can never reach the request as a header.
TEST_F(QtTransferTest, IdTextAsTheServerSeesIt) {
  struct Case {
    std::u16string id;
    QByteArray path;  // the request target after "http://page.auctions.yahoo.co.jp"
  };
  const Case cases[] = {
      {u"b123", "/jp/auction/b123"},
      {u"", "/jp/auction/"},
      {u"b 123", "/jp/auction/b%20123"},
      {u"%zz", "/jp/auction/%25zz"},
      {u"%41", "/jp/auction/A"},
      {u"x?y=1", "/jp/auction/x?y=1"},
      {u"a#frag", "/jp/auction/a"},
      {u"ｂ１２３", "/jp/auction/%EF%BD%82%EF%BC%91%EF%BC%92%EF%BC%93"},
      {u"b1\r\nX-Injected: 1", "/jp/auction/b1%0D%0AX-Injected:%201"},
      {u"<\">", "/jp/auction/%3C%22%3E"},
      {u" b123 ", "/jp/auction/%20b123%20"},
      {u"b\t1", "/jp/auction/b%091"},
      {u"../../x", "/x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path.toStdString());
    ScriptedServer server(Answer(Response("HTTP/1.1 200 OK", "ok")));
    ProxyThrough(server.port());
    auto transfer = MakeTransfer();
    Execute(*transfer, c.id);
    EXPECT_EQ(NextOutcome().state, kTransferResponseCompleted);
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests().front().line,
              "GET http://page.auctions.yahoo.co.jp" + c.path + " HTTP/1.1");
    EXPECT_FALSE(server.requests().front().Has("x-injected"));
  }
}

}  // namespace
}  // namespace lotwarden

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
