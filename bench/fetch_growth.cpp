// SPDX-License-Identifier: MIT
// Memory growth per fetch, from hundreds of fetches in a minute or two instead of a day.
// The program's own objects (window, monitor, tray icon, HTTP transfer) run on the real Qt
// event loop and notification area against whatever site http_proxy names, at a one-minute
// interval, with a clock that moves one second at each tick of the window's timer, and the
// timer ticking every millisecond: each minute is sixty ticks, one fetch, one face and one
// tooltip, as in the program. The clock stands still while a fetch is outstanding. Qt's own
// timers keep real time (its caches expire later than they would at this pace, which can
// only show more growth, not less).
//
// "minimal" does the minimal tray program's work (bench/minimal_tray.cpp: a window, a tray
// icon set once, a GET every sixty ticks, the body read and the reply deleted) as the floor.
//
// After each fetch it prints VmRSS and the heap in use over all of glibc's arenas (from
// malloc_info: what the arenas hold less their free chunks, plus mapped chunks), and at the
// end their growth per fetch after the warm-up: the median of the slopes between every two
// fetches (Theil-Sen), which the odd sample taken while glibc still held a freed page does not
// move as it moves a least-squares line.
//
// Usage: fetch_growth program|minimal URL [options]
//   program: the URL's last segment is the auction ID typed into the window
//   --fetches N  fetches in all (default 330)      --warmup N  fetches left out (default 30)
//   --tick MS    the timer's interval (default 1)
//   --blink      the first price is never acknowledged, so the face blinks every second
//   --quick-exit ends without tearing down, so a heap profiler's list of what was never
//                freed is what was alive after the last fetch
#include <malloc.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "monitor/clock.h"
#include "tray/tray_mouse.h"
#include "window/program.h"

namespace {

using namespace std::chrono_literals;

struct Options {
  int fetches = 330;
  int warmup = 30;
  int tickMs = 1;
  bool blink = false;
  bool quickExit = false;
};

struct Sample {
  double rssKb = 0;
  double heapKb = 0;
};

double VmRssKb() {
  std::ifstream status("/proc/self/status");
  std::string word;
  double kb = 0;
  while (status >> word) {
    if (word == "VmRSS:" && status >> kb) break;
  }
  return kb;
}

// The totals after the last arena in malloc_info's report; mallinfo2 sees the main arena
// only, and the network manager allocates on a thread of its own.
double HeapInUseKb() {
  char* text = nullptr;
  std::size_t size = 0;
  FILE* out = open_memstream(&text, &size);
  if (out == nullptr) return 0;
  malloc_info(0, out);
  std::fclose(out);
  const std::string xml(text, size);
  std::free(text);
  const std::size_t totals = xml.rfind("</heap>");
  if (totals == std::string::npos) return 0;
  auto bytes = [&](const char* tag) {
    const std::size_t at = xml.find(tag, totals);
    const std::size_t value = at == std::string::npos ? at : xml.find("size=\"", at);
    return value == std::string::npos ? 0.0 : std::strtod(xml.c_str() + value + 6, nullptr);
  };
  return (bytes("<system type=\"current\"") - bytes("<total type=\"fast\"") -
          bytes("<total type=\"rest\"") + bytes("<total type=\"mmap\"")) /
         1024;
}

// The median slope of one figure between every two samples from `from` on.
double Slope(const std::vector<Sample>& samples, std::size_t from, double Sample::*field) {
  std::vector<double> slopes;
  for (std::size_t i = from; i < samples.size(); ++i) {
    for (std::size_t j = i + 1; j < samples.size(); ++j) {
      slopes.push_back((samples[j].*field - samples[i].*field) / static_cast<double>(j - i));
    }
  }
  if (slopes.empty()) return 0;
  const auto middle = slopes.begin() + static_cast<std::ptrdiff_t>(slopes.size() / 2);
  std::nth_element(slopes.begin(), middle, slopes.end());
  return *middle;
}

class Recorder {
 public:
  // Room for every sample first, so the record itself does not grow with the run.
  explicit Recorder(const Options& options) : options_(options) {
    samples_.reserve(static_cast<std::size_t>(options.fetches));
  }

  // Records the fetch just handled; false once all are done and the event loop is ending.
  bool Fetched() {
    samples_.push_back({VmRssKb(), HeapInUseKb()});
    const Sample& s = samples_.back();
    std::printf("fetch %zu: VmRSS %.0f KB, heap in use %.1f KB\n", samples_.size(), s.rssKb,
                s.heapKb);
    if (static_cast<int>(samples_.size()) < options_.fetches) return true;
    const auto from = static_cast<std::size_t>(options_.warmup);
    std::printf("growth per fetch over fetches %d to %zu: VmRSS %+.2f KB, heap in use %+.2f KB\n",
                options_.warmup + 1, samples_.size(), Slope(samples_, from, &Sample::rssKb),
                Slope(samples_, from, &Sample::heapKb));
    std::fflush(stdout);
    if (options_.quickExit) std::_Exit(0);
    QCoreApplication::exit(0);
    return false;
  }

 private:
  const Options& options_;
  std::vector<Sample> samples_;
};

// A local time that moves only when told to.
class SteppedClock : public lotwarden::Clock {
 public:
  lotwarden::LocalSeconds Now() const override { return now_; }
  void Step() { now_ += 1s; }
  bool LastSecondOfMinute() const { return now_.time_since_epoch() % 1min == 59s; }

 private:
  lotwarden::LocalSeconds now_ = lotwarden::MakeLocalTime(2024, 5, 1, 9, 0, 30);
};

template <typename T>
T* Control(QWidget& window, const char* name) {
  T* control = window.findChild<T*>(QString::fromLatin1(name));
  if (control == nullptr) {
    std::fprintf(stderr, "fetch_growth: the window has no %s\n", name);
    std::exit(1);
  }
  return control;
}

// The program as a user drives it: the ID, the slider at one minute, "TaskTray", the pointer
// over the icon once the first price is in. The window's timer stops while a fetch is
// outstanding, and the status is empty until the first answer, so a tick that finds the timer
// running and a status is one the program handled with no fetch outstanding.
int RunProgram(const QUrl& url, const Options& options, Recorder& recorder) {
  SteppedClock clock;
  lotwarden::Program program(clock);
  lotwarden::MainWindow& window = program.window();
  window.show();
  Control<QLineEdit>(window, "A_ID")->setText(url.fileName());
  Control<QSlider>(window, "Slider1")->setValue(1);
  QTimer* timer = Control<QTimer>(window, "Timer1");
  const std::u16string& status = program.monitor().state().status;
  timer->setInterval(options.tickMs);
  bool answered = false;
  // Connected after the window's own tick, so it runs after the program's.
  QObject::connect(timer, &QTimer::timeout, &window, [&] {
    if (!timer->isActive() || status.empty()) return;
    if (!answered && !options.blink) program.OnTrayMouse(lotwarden::TrayMouse::kMove);
    answered = true;
    if (clock.LastSecondOfMinute() && !recorder.Fetched()) return;
    clock.Step();
  });
  Control<QPushButton>(window, "StayInTaskBar")->click();
  return QApplication::exec();
}

int RunMinimal(const QUrl& url, const Options& options, Recorder& recorder) {
  QLabel window(QStringLiteral("Minimal tray"));
  window.setWindowTitle(QStringLiteral("Minimal tray"));
  window.resize(132, 102);
  QPixmap face(22, 22);
  face.fill(Qt::gray);
  QSystemTrayIcon tray{QIcon(face)};
  tray.setToolTip(QStringLiteral("Minimal tray"));
  tray.show();
  window.show();

  QNetworkAccessManager network;
  QPointer<QNetworkReply> reply;
  int second = 59;  // the first tick fetches
  bool fetched = false;
  QTimer tick;
  tick.setInterval(options.tickMs);
  QObject::connect(&tick, &QTimer::timeout, [&] {
    if (reply != nullptr && !reply->isFinished()) return;
    if (second == 59 && fetched && !recorder.Fetched()) return;
    second = (second + 1) % 60;
    if (second != 0) return;
    fetched = true;
    reply = network.get(QNetworkRequest(url));
    QNetworkReply* sent = reply.data();
    QObject::connect(sent, &QNetworkReply::finished, [sent] {
      sent->readAll();
      sent->deleteLater();
    });
  });
  tick.start();
  return QApplication::exec();
}

int Usage() {
  std::fprintf(stderr,
               "usage: fetch_growth program|minimal URL [--fetches N] [--warmup N] [--tick MS] "
               "[--blink] [--quick-exit]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  if (argc < 3) return Usage();
  const std::string mode = argv[1];
  const QUrl url(QString::fromLocal8Bit(argv[2]));
  Options options;
  for (int i = 3; i < argc; ++i) {
    const bool valued = i + 1 < argc;
    if (std::strcmp(argv[i], "--fetches") == 0 && valued) {
      options.fetches = std::atoi(argv[++i]);
    } else if (std::strcmp(argv[i], "--warmup") == 0 && valued) {
      options.warmup = std::atoi(argv[++i]);
    } else if (std::strcmp(argv[i], "--tick") == 0 && valued) {
      options.tickMs = std::atoi(argv[++i]);
    } else if (std::strcmp(argv[i], "--blink") == 0) {
      options.blink = true;
    } else if (std::strcmp(argv[i], "--quick-exit") == 0) {
      options.quickExit = true;
    } else {
      return Usage();
    }
  }
  if (!url.isValid() || options.warmup < 0 || options.fetches < options.warmup + 2 ||
      options.tickMs < 1) {
    return Usage();
  }
  Recorder recorder(options);
  if (mode == "program") return RunProgram(url, options, recorder);
  if (mode == "minimal") return RunMinimal(url, options, recorder);
  return Usage();
}
