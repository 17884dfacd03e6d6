// SPDX-License-Identifier: MIT
#include "window/main_window.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QUrl>
#include <cstddef>
#include <limits>
#include <memory>
#include <utility>

#include "monitor/monitor.h"
#include "monitor/page_analysis.h"
#include "monitor/urls.h"
#include "tray/alert_notice.h"
#include "tray/qt/qt_clock_surface.h"

namespace lotwarden {
namespace {

constexpr char kTitle[] = "Lotwarden";
// A title bar with the close box only.
constexpr Qt::WindowFlags kDecorations = Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

// Places a control by its rectangle in twips.
void PlaceTwips(QWidget* widget, int left, int top, int width, int height) {
  widget->setGeometry(TwipsToDip(left), TwipsToDip(top), TwipsToDip(width), TwipsToDip(height));
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  // Plain text: nothing shown here is ever read as markup.
  label->setTextFormat(Qt::PlainText);
  return label;
}

// Screen readers take a plain QWidget window for a filler; this one is announced as a dialog
// with its title, whatever its window flags.
QAccessibleInterface* DialogAccessible(const QString& className, QObject* object) {
  if (!object->isWidgetType() ||
      className != QLatin1String(MainWindow::staticMetaObject.className()))
    return nullptr;
  return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Dialog);
}

}  // namespace

void OpenInBrowser(const std::u16string& url) {
  QDesktopServices::openUrl(QUrl(QString::fromStdU16String(url)));
}

MainWindow::MainWindow(QWidget* parent)
    // No taskbar button (Tool) until the load settles the mode.
    : QWidget(parent, Qt::Tool | kDecorations) {
  static const bool accessibleAsDialog = (QAccessible::installFactory(&DialogAccessible), true);
  (void)accessibleAsDialog;
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
    captions_[i] = MakeLabel(this, "Label0", QString::fromLatin1(c.text));
    captions_[i]->setProperty("index", i);
    PlaceTwips(captions_[i], c.left, c.top, c.width, c.height);
  }

  idEdit_ = new QLineEdit(this);
  idEdit_->setObjectName(QStringLiteral("A_ID"));
  idEdit_->setMaxLength(std::numeric_limits<int>::max());
  PlaceTwips(idEdit_, 480, 0, 1335, 270);

  intervalSlider_ = new QSlider(Qt::Horizontal, this);
  intervalSlider_->setObjectName(QStringLiteral("Slider1"));
  intervalSlider_->setRange(kMinInterval, kMaxInterval);
  intervalSlider_->setValue(5);
  intervalSlider_->setSingleStep(1);
  intervalSlider_->setPageStep(5);
  intervalSlider_->setTickPosition(QSlider::TicksBelow);
  intervalSlider_->setTickInterval(10);
  PlaceTwips(intervalSlider_, 480, 360, 735, 255);

  intervalText_ = MakeLabel(this, "int_time", QString::number(intervalSlider_->value()));
  PlaceTwips(intervalText_, 1200, 360, 255, 255);

  static constexpr int kCheckTops[3] = {720, 960, 1200};
  static constexpr bool kCheckedAtStart[3] = {true, true, false};
  for (int i = 0; i < 3; ++i) {
    // Only the box shows at this width; the caption label beside it says what it is.
    fieldBoxes_[i] = new QCheckBox(QStringLiteral("Check1"), this);
    fieldBoxes_[i]->setObjectName(QStringLiteral("Check1"));
    fieldBoxes_[i]->setProperty("index", i);
    fieldBoxes_[i]->setChecked(kCheckedAtStart[i]);
    PlaceTwips(fieldBoxes_[i], 120, kCheckTops[i], 255, 255);
  }

  trayButton_ = new QPushButton(QStringLiteral("TaskTray"), this);
  trayButton_->setObjectName(QStringLiteral("StayInTaskBar"));
  PlaceTwips(trayButton_, 960, 1200, 975, 255);

  statusLine_ = MakeLabel(this, "Label2", QString());
  PlaceTwips(statusLine_, 120, 1560, kWideWidth - 240, 255);
  statusLine_->hide();

  timer_ = new QTimer(this);
  timer_->setObjectName(QStringLiteral("Timer1"));
  timer_->setInterval(1000);
  // A coarse timer may drift by tens of milliseconds a tick; the blink and the
  // acknowledgement of an alert should keep to the second.
  timer_->setTimerType(Qt::PreciseTimer);

  // What a screen reader says for each control is its caption, which is also its buddy; the
  // check boxes' own text is never shown, and the slider's unit is spelled out.
  const std::pair<int, QWidget*> captioned[] = {{0, idEdit_},
                                                {1, intervalSlider_},
                                                {3, fieldBoxes_[0]},
                                                {4, fieldBoxes_[1]},
                                                {5, fieldBoxes_[2]}};
  for (const auto& [caption, control] : captioned) {
    captions_[caption]->setBuddy(control);
    control->setAccessibleName(captions_[caption]->text());
  }
  intervalSlider_->setAccessibleName(QStringLiteral("%1 (minutes)").arg(captions_[1]->text()));

  setTabOrder(idEdit_, intervalSlider_);
  setTabOrder(intervalSlider_, fieldBoxes_[0]);
  setTabOrder(fieldBoxes_[0], fieldBoxes_[1]);
  setTabOrder(fieldBoxes_[1], fieldBoxes_[2]);
  setTabOrder(fieldBoxes_[2], trayButton_);
  idEdit_->setFocus();

  connect(idEdit_, &QLineEdit::textChanged, this, &MainWindow::IdChanged);
  connect(intervalSlider_, &QSlider::valueChanged, intervalText_, qOverload<int>(&QLabel::setNum));
  connect(trayButton_, &QPushButton::clicked, this, &MainWindow::GoToTray);
  connect(timer_, &QTimer::timeout, this, &MainWindow::Tick);

  // The popup menu; it is never a menu bar.
  menu_ = new QMenu(QStringLiteral("Menu"), this);
  menu_->setObjectName(QStringLiteral("menu"));
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
    QAction* action = menu_->addAction(QString::fromLatin1(command.caption));
    action->setObjectName(QString::fromLatin1(command.name));
    connect(action, &QAction::triggered, this, command.run);
  }
  // The ID box keeps its editing menu; the commands follow it there.
  idEdit_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(idEdit_, &QLineEdit::customContextMenuRequested, this, [this](const QPoint& at) {
    const std::unique_ptr<QMenu> edit(idEdit_->createStandardContextMenu());
    edit->addSeparator();
    edit->addActions(menu_->actions());
    edit->exec(idEdit_->mapToGlobal(at));
  });
}

MainWindow::~MainWindow() = default;

void MainWindow::Load() {
  if (loaded_) return;
  loaded_ = true;
  ApplyTrayMode();
  intervalText_->setNum(intervalSlider_->value());
  if (monitor_ != nullptr) monitor_->Start();
}

void MainWindow::setVisible(bool visible) {
  // The load comes before the window is first mapped, whoever shows it, so that the window is
  // mapped as the mode's kind of window.
  if (visible && !loaded_) Load();
  QWidget::setVisible(visible);
}

void MainWindow::ApplyTrayMode() {
  const bool tray = TrayAvailable();
  // A tool window has no taskbar button; without a notification area the window must be found
  // like any other (Alt+Tab, the overview, the taskbar), and gets the focus when it maps.
  const Qt::WindowType kind = tray ? Qt::Tool : Qt::Window;
  if (windowType() != kind) {
    const bool shown = isVisible();
    setWindowFlags(kind | kDecorations);  // unmaps the window
    if (shown) show();
  }
  setFixedSize(TwipsToDip(tray ? 1980 : kWideWidth), TwipsToDip(tray ? 1530 : kWideHeight));
  statusLine_->setVisible(!tray);
  if (monitor_ != nullptr) ShowStatus(monitor_->state().status);
  if (notice_ != nullptr) notice_->SetCarrier(!tray);
}

void MainWindow::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && isActiveWindow() && notice_ != nullptr)
    notice_->WindowActivated();
  QWidget::changeEvent(event);
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event) {
  // A right click anywhere, or the Menu key (at the focused control).
  menu_->exec(event->globalPos());
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
  // Shift+F10, and the Menu key where the platform does not turn it into a context-menu event
  // itself (X11 does): the focused control's menu, which is the window's unless it has its own.
  if ((event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) ||
      (event->key() == Qt::Key_Menu && QGuiApplication::platformName() != QLatin1String("xcb"))) {
    QWidget* at = focusWidget() != nullptr ? focusWidget() : this;
    QContextMenuEvent menu(QContextMenuEvent::Keyboard, at->rect().center(),
                           at->mapToGlobal(at->rect().center()));
    QApplication::sendEvent(at, &menu);
    return;
  }
  QWidget::keyPressEvent(event);
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
}

void MainWindow::NotificationAreaChanged(bool present) {
  if (trayWanted_ && present) hide();
  ApplyTrayMode();
  if (trayWanted_ && !present) show();
}

// A reading keeps more of each field than the title ever shows of the whole status.
static_assert(kKeptFieldLength > MainWindow::kTitleStatusLength);

void MainWindow::ShowStatus(const std::u16string& status) {
  // Where there is no notification area, the title and the status line stand in for the
  // tooltip.
  QString title = QString::fromLatin1(kTitle);
  QString shown;
  if (!TrayAvailable() && !status.empty()) {
    if (status.size() <= static_cast<std::size_t>(kTitleStatusLength)) {
      shown = QString::fromStdU16String(status);
    } else {
      std::size_t cut = kTitleStatusLength - 1;
      if (QChar::isHighSurrogate(status[cut - 1])) --cut;  // never half a character
      shown = QString::fromStdU16String(status.substr(0, cut)) + QChar(0x2026);
    }
    title += QStringLiteral(" - ") + shown;
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
      // Where the desktop draws no title bar (GNOME), Qt's own centres the title between its
      // icon (29 pixels from the left) and its three buttons (77 from the right) in a 14-pixel
      // font, and cuts it at both ends: cut here at its end, the name stays whole.
      QFont titleFont = QGuiApplication::font();
      titleFont.setPixelSize(14);
      title = QFontMetrics(titleFont).elidedText(title, Qt::ElideRight, width() + 6 - 2 * 77);
    }
  }
  setWindowTitle(title);
  // The line as far as it fits; the whole of it on hover and for a screen reader.
  const QString whole = shown.isEmpty() ? QString() : QString::fromStdU16String(status);
  statusLine_->setText(
      statusLine_->fontMetrics().elidedText(shown, Qt::ElideRight, statusLine_->width()));
  statusLine_->setToolTip(statusLine_->text() == whole ? QString() : whole);
  statusLine_->setAccessibleName(whole);
}

void MainWindow::OpenWatchList() {
  OpenInBrowser(WatchListUrl());
}

void MainWindow::GetIDfromClipBoard() {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  if (data == nullptr || !data->hasText()) return;
  const QString text = data->text();
  if (text == idEdit_->text()) {
    IdChanged();  // the same ID: no text change, but the edit's steps still run
  } else {
    idEdit_->setText(text);
  }
  if (monitor_ != nullptr) monitor_->StartFetch();
}

void MainWindow::Config() {
  trayWanted_ = false;
  show();
}

void MainWindow::End() {
  if (removeTrayIcon_) removeTrayIcon_();
  hide();
  // Leaves the event loop: the timer stops and an outstanding request is abandoned.
  QCoreApplication::exit(0);
}

void MainWindow::TransferReported(TransferOutcome outcome, std::string_view body) {
  if (monitor_ != nullptr) monitor_->CollectResponse(outcome, body);
}

void MainWindow::GoToTray() {
  if (monitor_ != nullptr) monitor_->GoToTray();
  // Without a notification area a hidden window (with no taskbar button) could never be
  // reached again, so it stays shown until an area comes.
  trayWanted_ = true;
  if (TrayAvailable()) hide();
}

void MainWindow::Tick() {
  if (monitor_ != nullptr) monitor_->OnTick();
}

void MainWindow::IdChanged() {
  if (monitor_ != nullptr) monitor_->IdChanged();
  if (notice_ != nullptr) notice_->Follow();
}

std::u16string MainWindow::AuctionId() const {
  return idEdit_->text().toStdU16String();
}

StatusFields MainWindow::ChosenFields() const {
  return {fieldBoxes_[0]->isChecked(), fieldBoxes_[1]->isChecked(), fieldBoxes_[2]->isChecked()};
}

int MainWindow::Interval() const {
  return intervalSlider_->value();
}

// The slider keeps itself within its range; the read-out follows through valueChanged.
void MainWindow::SetInterval(int minutes) {
  intervalSlider_->setValue(minutes);
}

void MainWindow::SetTimerEnabled(bool on) {
  // Switching on a running timer must not restart its one-second phase.
  if (!on) {
    timer_->stop();
  } else if (!timer_->isActive()) {
    timer_->start();
  }
}

void MainWindow::OpenUrl() {
  const QString id = idEdit_->text();
  if (id.isEmpty()) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kTitle),
                    QStringLiteral("Please input AuctionID"), QMessageBox::Ok, this);
    box.exec();
    return;
  }
  OpenInBrowser(ItemPageUrl(id.toStdU16String()));
}

}  // namespace lotwarden
