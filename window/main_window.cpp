// SPDX-License-Identifier: MIT
#include "window/main_window.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QShowEvent>
#include <QSlider>
#include <QTimer>
#include <QUrl>
#include <limits>

#include "monitor/monitor.h"
#include "monitor/urls.h"
#include "tray/qt/qt_clock_surface.h"

namespace lotwarden {
namespace {

constexpr char kTitle[] = "Lotwarden";

// Places a control by its rectangle in twips.
void PlaceTwips(QWidget* widget, int left, int top, int width, int height) {
  widget->setGeometry(TwipsToDip(left), TwipsToDip(top), TwipsToDip(width), TwipsToDip(height));
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  // Status lines come from web pages; they must never be read as markup.
  label->setTextFormat(Qt::PlainText);
  return label;
}

}  // namespace

void OpenInBrowser(const std::u16string& url) {
  QDesktopServices::openUrl(QUrl(QString::fromStdU16String(url)));
}

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent,
              // No taskbar button (Tool), and a title bar with the close box only.
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                  Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("clock"));
  setWindowTitle(QString::fromLatin1(kTitle));
  setWindowIcon(ClockFaceWindowIcon());
  setFixedSize(TwipsToDip(1980), TwipsToDip(1530));
  // A small dialog font, as the layout's sizes expect; the controls all inherit it.
  QFont dialogFont = font();
  dialogFont.setPointSizeF(8);
  setFont(dialogFont);

  struct Caption {
    const char* text;
    int left, top, width, height;
  };
  static constexpr Caption kCaptions[6] = {
      {"ID", 0, 60, 435, 270},
      {"Time", 20, 360, 405, 180},
      {"Min.", 1560, 360, 300, 180},
      {"Current Bid", 400, 765, 1215, 255},
      {"Time Left", 400, 1005, 855, 255},
      {"Title", 400, 1245, 615, 255},
  };
  for (int i = 0; i < 6; ++i) {
    const Caption& c = kCaptions[i];
    Label0[i] = MakeLabel(this, "Label0", QString::fromLatin1(c.text));
    Label0[i]->setProperty("index", i);
    PlaceTwips(Label0[i], c.left, c.top, c.width, c.height);
  }

  A_ID = new QLineEdit(this);
  A_ID->setObjectName(QStringLiteral("A_ID"));
  A_ID->setMaxLength(std::numeric_limits<int>::max());
  PlaceTwips(A_ID, 480, 0, 1335, 270);

  Slider1 = new QSlider(Qt::Horizontal, this);
  Slider1->setObjectName(QStringLiteral("Slider1"));
  Slider1->setRange(kMinInterval, kMaxInterval);
  Slider1->setValue(5);
  Slider1->setSingleStep(1);
  Slider1->setPageStep(5);
  Slider1->setTickPosition(QSlider::TicksBelow);
  Slider1->setTickInterval(10);
  PlaceTwips(Slider1, 480, 360, 735, 255);

  int_time = MakeLabel(this, "int_time", QString::number(Slider1->value()));
  PlaceTwips(int_time, 1200, 360, 255, 255);

  static constexpr int kCheckTops[3] = {720, 960, 1200};
  static constexpr bool kCheckedAtStart[3] = {true, true, false};
  for (int i = 0; i < 3; ++i) {
    // Only the box shows at this width; the caption label beside it says what it is.
    Check1[i] = new QCheckBox(QStringLiteral("Check1"), this);
    Check1[i]->setObjectName(QStringLiteral("Check1"));
    Check1[i]->setProperty("index", i);
    Check1[i]->setChecked(kCheckedAtStart[i]);
    PlaceTwips(Check1[i], 120, kCheckTops[i], 255, 255);
  }

  StayInTaskBar = new QPushButton(QStringLiteral("TaskTray"), this);
  StayInTaskBar->setObjectName(QStringLiteral("StayInTaskBar"));
  PlaceTwips(StayInTaskBar, 960, 1200, 975, 255);

  // Below the client area: never shown, they only hold their captions.
  Label2 = MakeLabel(this, "Label2", QString());
  PlaceTwips(Label2, 120, 2520, 735, 255);
  Label3 = MakeLabel(this, "Label3", QString());
  PlaceTwips(Label3, 1200, 2520, 735, 255);

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(1000);
  // A coarse timer may drift by tens of milliseconds a tick; the blink and the
  // acknowledgement of an alert should keep to the second.
  Timer1->setTimerType(Qt::PreciseTimer);

  setTabOrder(A_ID, Slider1);
  setTabOrder(Slider1, Check1[0]);
  setTabOrder(Check1[0], Check1[1]);
  setTabOrder(Check1[1], Check1[2]);
  setTabOrder(Check1[2], StayInTaskBar);
  A_ID->setFocus();

  connect(A_ID, &QLineEdit::textChanged, this, &MainWindow::IdChanged);
  connect(Slider1, &QSlider::valueChanged, int_time, qOverload<int>(&QLabel::setNum));
  connect(StayInTaskBar, &QPushButton::clicked, this, &MainWindow::GoToTray);
  connect(Timer1, &QTimer::timeout, this, &MainWindow::Tick);

  // The popup menu; it is never a menu bar.
  menu = new QMenu(QStringLiteral("Menu"), this);
  menu->setObjectName(QStringLiteral("menu"));
  struct Command {
    const char* name;
    const char* caption;
    void (MainWindow::*run)();
  };
  static constexpr Command kCommands[] = {
      {"Open_WatchList", "Open WatchList", &MainWindow::OpenWatchList},
      {"open_url", "Open URL", &MainWindow::OpenUrl},
      {"GetIDfromClipBoard", "ClipBoard", &MainWindow::GetIDfromClipBoard},
      {"config", "Config.", &MainWindow::Config},
      {"End", "End", &MainWindow::End},
  };
  for (const Command& command : kCommands) {
    QAction* action = menu->addAction(QString::fromLatin1(command.caption));
    action->setObjectName(QString::fromLatin1(command.name));
    connect(action, &QAction::triggered, this, command.run);
  }
}

MainWindow::~MainWindow() = default;

void MainWindow::Load() {
  if (loaded_) return;
  loaded_ = true;
  int_time->setNum(Slider1->value());
  if (monitor_ != nullptr) monitor_->Start();
}

void MainWindow::showEvent(QShowEvent* event) {
  // The load comes before the window is first mapped, whoever shows it.
  Load();
  QWidget::showEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // The close box ends the program like "End", so no icon is left behind. A Tool window
  // does not count as the last window closed, so the program is ended here.
  event->accept();
  End();
}

void MainWindow::SetTray(std::function<bool()> available, std::function<void()> remove) {
  trayAvailable_ = std::move(available);
  removeTrayIcon_ = std::move(remove);
  ShowStatusInTitle();
}

void MainWindow::ShowStatusInTitle() {
  // Where there is no notification area, the title stands in for the tooltip.
  const QString status = Label2->text();
  setWindowTitle(TrayAvailable() || status.isEmpty()
                     ? QString::fromLatin1(kTitle)
                     : QString::fromLatin1(kTitle) + QStringLiteral(" - ") + status);
}

void MainWindow::OpenWatchList() {
  OpenInBrowser(WatchListUrl());
}

void MainWindow::GetIDfromClipBoard() {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  if (data == nullptr || !data->hasText()) return;
  const QString text = data->text();
  if (text == A_ID->text()) {
    IdChanged();  // the same ID: no text change, but the edit's steps still run
  } else {
    A_ID->setText(text);
  }
  if (monitor_ != nullptr) monitor_->StartFetch();
}

void MainWindow::Config() {
  show();
}

void MainWindow::End() {
  if (removeTrayIcon_) removeTrayIcon_();
  hide();
  // Leaves the event loop: the timer stops and an outstanding request is abandoned.
  QCoreApplication::exit(0);
}

void MainWindow::TransferReported(std::int16_t transferState, std::string_view body) {
  if (monitor_ != nullptr) monitor_->CollectResponse(transferState, body);
}

void MainWindow::GoToTray() {
  if (monitor_ != nullptr) monitor_->GoToTray();
  // Without a notification area a hidden window (with no taskbar button) could never be
  // reached again, so it stays shown.
  if (TrayAvailable()) hide();
}

void MainWindow::Tick() {
  if (monitor_ != nullptr) monitor_->OnTick();
}

void MainWindow::IdChanged() {
  if (monitor_ != nullptr) monitor_->IdChanged();
}

std::u16string MainWindow::AuctionId() const {
  return A_ID->text().toStdU16String();
}

std::u16string MainWindow::StatusCaption() const {
  return Label2->text().toStdU16String();
}

void MainWindow::SetStatusCaption(const std::u16string& text) {
  Label2->setText(QString::fromStdU16String(text));
  ShowStatusInTitle();
}

std::u16string MainWindow::CurrentBidCaption() const {
  return Label3->text().toStdU16String();
}

void MainWindow::SetCurrentBidCaption(const std::u16string& text) {
  Label3->setText(QString::fromStdU16String(text));
}

bool MainWindow::IsChecked(int index) const {
  return Check1.at(static_cast<std::size_t>(index))->isChecked();
}

int MainWindow::SliderValue() const {
  return Slider1->value();
}

// The slider keeps itself within 1 to 30; int_time follows through valueChanged.
void MainWindow::SetSliderValue(int minutes) {
  Slider1->setValue(minutes);
}

void MainWindow::SetTimerEnabled(bool on) {
  // Switching on a running timer must not restart its one-second phase.
  if (!on) {
    Timer1->stop();
  } else if (!Timer1->isActive()) {
    Timer1->start();
  }
}

void MainWindow::OpenUrl() {
  const QString id = A_ID->text();
  if (id.isEmpty()) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kTitle),
                    QStringLiteral("Please input AuctionID"), QMessageBox::Ok, this);
    box.exec();
    return;
  }
  OpenInBrowser(ItemPageUrl(id.toStdU16String()));
}

}  // namespace lotwarden
