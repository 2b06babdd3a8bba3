#include "app/SlideShow.h"

#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QGridLayout>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTimer>
#include <algorithm>

#include "app/PictureView.h"
#include "browse/FullScreen.h"
#include "effects/ImageThreadWatcher.h"
#include "engine/DecimalText.h"
#include "model/Settings.h"
#include "platform/AppUtils.h"
#include "widgets/ActionSupport.h"
#include "widgets/ListPrompts.h"
#include "widgets/PanelLender.h"

namespace {

constexpr int kMinLeftWidth = 80;
constexpr int kMinRightWidth = 101;

// The window's commands with a key: those of the window, of its panels (the file list's back
// and next) and of its menus.
QList<QAction*> KeyedActions(QMainWindow& window) {
  QList<QAction*> actions;
  const auto add = [&actions](QAction* action) {
    if (!action->shortcuts().isEmpty() && !actions.contains(action)) actions.append(action);
  };
  for (QAction* action : window.actions()) add(action);
  for (QWidget* widget : window.findChildren<QWidget*>())
    if (widget->window() == &window)
      for (QAction* action : widget->actions()) add(action);
  QList<QMenu*> menus;
  for (QAction* action : window.menuBar()->actions())
    if (action->menu()) menus.append(action->menu());
  while (!menus.isEmpty()) {
    for (QAction* action : menus.takeFirst()->actions()) {
      if (action->menu())
        menus.append(action->menu());
      else
        add(action);
    }
  }
  return actions;
}

}  // namespace

TSlideShow::TSlideShow(QMainWindow& window, TMainSettings& settings, TPictureView& view,
                       TImageThreadWatcherForm& controller, TWindowPanels panels)
    : QObject(&window),
      window_(window),
      settings_(settings),
      view_(view),
      controller_(controller),
      panels_(panels),
      full_screen_(new TFullScreenForm(&window)),
      slide_timer_(new QTimer(this)),
      color_timer_(new QTimer(this)) {
  slide_timer_->setObjectName("SlideTimer");
  connect(slide_timer_, &QTimer::timeout, this, [this] { SlideTimerTimer(); });
  color_timer_->setObjectName("ColorTimer");
  color_timer_->setSingleShot(true);
  color_timer_->setInterval(500);
  connect(color_timer_, &QTimer::timeout, this, [this] { view_.SetSlideColors(false, 0); });
  full_screen_->leave = [this] { ViewFullScreenExecute(); };
  // After the host's close event has returned: closing the window ends full screen first.
  full_screen_->close_owner = [this] {
    QMetaObject::invokeMethod(
        &window_, [this] { window_.close(); }, Qt::QueuedConnection);
  };
  full_screen_->layout_changed = [this] { view_.AreaChanged(); };
  BuildActions();
  BuildButtons();
  // The side panels stop at their largest width, in the window and in full screen alike.
  for (int index : {0, 2})
    if (QWidget* panel = panels_.main_splitter->widget(index))
      panel->setMaximumWidth(kMaxSidePanelWidth);
  full_screen_->LeftPanel()->setMaximumWidth(kMaxSidePanelWidth);
  full_screen_->RightPanel()->setMaximumWidth(kMaxSidePanelWidth);
}

TSlideShow::~TSlideShow() = default;

bool TSlideShow::SlidePlace(int& left, int& top) const {
  if (!Running() || settings_.base.slide_view) return false;
  left = free_left_;
  top = free_top_;
  return true;
}

QAction* TSlideShow::Action(const std::string& name) const { return FindAction(actions_, name); }

QPushButton* TSlideShow::Button(const std::string& name) const {
  const auto it = buttons_.find(name);
  return it == buttons_.end() ? nullptr : it->second;
}

QAction* TSlideShow::MakeAction(const char* name, const char* caption, const QKeySequence& key,
                                bool checkable) {
  return MakeNamedAction(window_, actions_, name, caption, key, checkable);
}

void TSlideShow::BuildActions() {
  const auto on = [this](QAction* action, const char* handler, void (TSlideShow::*method)()) {
    ConnectGuarded(action, this, handler, method);
  };
  on(MakeAction("PictureSlide", "スライドショー(&S)", Qt::Key_F1, true), "PictureSlideExecute",
     &TSlideShow::PictureSlideExecute);
  on(MakeAction("PictureSlideRepeat", "繰り返す(&A)", Qt::Key_F2, true),
     "PictureSlideRepeatExecute", &TSlideShow::PictureSlideRepeatExecute);
  on(MakeAction("PictureSlideInterval", "インターバル( &I )", Qt::Key_F3),
     "PictureSlideIntervalExecute", &TSlideShow::PictureSlideIntervalExecute);
  MakeAction("PictureSlideAllTextDataList", "リストのデータ(&L)", {}, true);
  // Back and next move through the active list, which may be the cap data list.
  on(MakeAction("FileBack", "前へ(&B)", Qt::CTRL | Qt::Key_B), "FileBackExecute",
     &TSlideShow::FileBackExecute);
  on(MakeAction("FileNext", "次へ(&N)", Qt::CTRL | Qt::Key_N), "FileNextExecute",
     &TSlideShow::FileNextExecute);
  on(MakeAction("ViewFullScreen", "全画面表示(&F)", Qt::Key_F8, true), "ViewFullScreenExecute",
     &TSlideShow::ViewFullScreenExecute);
  on(MakeAction("ViewFormMax", "全フォーム表示(&M)"), "ViewFormMaxExecute",
     &TSlideShow::ViewFormMaxExecute);
  on(MakeAction("ViewShowNormal", "通常表示(&N)"), "ViewShowNormalExecute",
     &TSlideShow::ViewShowNormalExecute);
  on(MakeAction("ViewDirectoryPanel", "ファイルパネルを閉じる(&P)", {}, true),
     "ViewDirectoryPanelExecute", &TSlideShow::ViewDirectoryPanelExecute);
  on(MakeAction("ViewCapturePanel", "操作パネルを閉じる(&C)", {}, true), "ViewCapturePanelExecute",
     &TSlideShow::ViewCapturePanelExecute);
  on(MakeAction("ViewMenuBar", "メニューバーを消す(&B)", {}, true), "ViewMenuBarExecute",
     &TSlideShow::ViewMenuBarExecute);

  menu_ = new QMenu("ピクチャー(&P)", &window_);
  menu_->setObjectName("PictureShow");
  for (const char* name : {"PictureSlide", "PictureSlideRepeat", "PictureSlideInterval",
                           "PictureSlideAllTextDataList"})
    menu_->addAction(actions_[name]);
  menu_->addSeparator();
  QMenu* display = display_menu_ = menu_->addMenu("画面表示(&V)");
  display->setObjectName("DisplayShow");
  for (const char* name : {"ViewFullScreen", "ViewFormMax", "ViewShowNormal", "ViewDirectoryPanel",
                           "ViewCapturePanel", "ViewMenuBar"})
    display->addAction(actions_[name]);
  connect(menu_, &QMenu::aboutToShow, this, [this] {
    actions_["PictureSlideAllTextDataList"]->setEnabled(data_files_shown && data_files_shown());
  });
  connect(display, &QMenu::aboutToShow, this, [this] {
    actions_["ViewDirectoryPanel"]->setChecked(!PanelOpen(false));
    actions_["ViewCapturePanel"]->setChecked(!PanelOpen(true));
  });
}

void TSlideShow::BuildButtons() {
  button_panel_ = new QWidget;
  button_panel_->setObjectName("SlideButtonPanel");
  auto* layout = new QGridLayout(button_panel_);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(1);
  const std::pair<const char*, const char*> buttons[] = {{"ViewDirectoryButton", "←"},
                                                         {"PictureSlideButton", "スラ"},
                                                         {"PictureSlideRepeatButton", "×"},
                                                         {"ViewScreenMaxButton", "画面"},
                                                         {"ViewCaptureButton", "→"}};
  const char* actions[] = {"ViewDirectoryPanel", "PictureSlide", "PictureSlideRepeat",
                           "ViewFullScreen", "ViewCapturePanel"};
  for (std::size_t i = 0; i < std::size(buttons); ++i) {
    auto* button = new QPushButton(QString::fromUtf8(buttons[i].second));
    button->setObjectName(buttons[i].first);
    button->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    button->setFocusPolicy(Qt::NoFocus);
    button->setStyleSheet("padding: 1px 2px;");
    connect(button, &QPushButton::clicked, actions_[actions[i]], &QAction::trigger);
    // "←" "スラ" "→" above, the repeat mark and "画面" below.
    static const int kRow[] = {0, 0, 1, 1, 0};
    static const int kColumn[] = {0, 1, 0, 1, 2};
    layout->addWidget(button, kRow[i], kColumn[i]);
    buttons_[buttons[i].first] = button;
  }
}

void TSlideShow::ApplySettings() {
  slide_timer_->setInterval(std::max(1, settings_.base.slide_interval));
  actions_["PictureSlideRepeat"]->setChecked(settings_.base.slide_repeat);
  actions_["PictureSlideAllTextDataList"]->setChecked(
      settings_.file_filter.picture_slide_all_text_data_list);
  actions_["ViewMenuBar"]->setChecked(settings_.base.set_menu);
  ShowRepeatCaption();
}

void TSlideShow::TakeSettings() {
  settings_.base.slide_repeat = actions_["PictureSlideRepeat"]->isChecked();
  settings_.file_filter.picture_slide_all_text_data_list =
      actions_["PictureSlideAllTextDataList"]->isChecked();
}

void TSlideShow::ShowRepeatCaption() {
  buttons_["PictureSlideRepeatButton"]->setText(actions_["PictureSlideRepeat"]->isChecked() ? "○"
                                                                                            : "×");
}

bool TSlideShow::Running() const { return slide_timer_->isActive(); }

bool TSlideShow::FullScreenOn() const { return actions_.at("ViewFullScreen")->isChecked(); }

// ---------------------------------------------------------------------------------------------
// Slide show

void TSlideShow::PictureSlideExecute() {
  const TViewerGeometry& g = view_.Geometry();
  free_left_ = g.Left();
  free_top_ = g.Top();
  if (Running() || controller_.Busy()) {
    if (controller_.Busy()) controller_.AbortThread();
    Stop();
    return;
  }
  actions_["PictureSlide"]->setChecked(true);
  view_.SetSlideColors(true, settings_.base.slide_back_color);
  ColorLists(true);
  missed_ticks_ = 0;
  slide_timer_->start(std::max(1, settings_.base.slide_interval));
}

void TSlideShow::Stop() {
  actions_["PictureSlide"]->setChecked(false);
  if (!Running()) return;
  slide_timer_->stop();
  view_.SetSlideColors(false, 0);
  ColorLists(false);
}

void TSlideShow::SlideTimerTimer() {
  // A tick while the last picture is still being processed only counts as missed; so does one
  // that finds its picture still being prepared in advance (it is shown at the next tick).
  if (view_.Processing() || (next_on_its_way && next_on_its_way())) {
    ++missed_ticks_;
    return;
  }
  NextSlide();
}

void TSlideShow::NextSlide() {
  if (!step || skipping_) return;
  int result = step(+1);
  if (result == kMissing) {
    // Missing files are passed over with the timer paused; the show may be stopped meanwhile.
    skipping_ = true;
    slide_timer_->stop();
    int skipped = 0;
    while (result == kMissing) {
      if (++skipped % 50 == 0) {
        QApplication::processEvents();
        if (!actions_["PictureSlide"]->isChecked()) break;
      }
      result = step(+1);
    }
    skipping_ = false;
    if (!actions_["PictureSlide"]->isChecked()) {
      view_.SetSlideColors(false, 0);
      ColorLists(false);
      return;
    }
    slide_timer_->start();
  }
  if (result != kAtEnd) return;
  const bool repeat = actions_["PictureSlideRepeat"]->isChecked();
  if (data_files_shown && data_files_shown() &&
      actions_["PictureSlideAllTextDataList"]->isChecked() && next_data_file) {
    if (!next_data_file(repeat)) Stop();
    return;
  }
  if (!repeat) Stop();
  if (select) select(0);
}

void TSlideShow::PictureSlideRepeatExecute() {
  settings_.base.slide_repeat = actions_["PictureSlideRepeat"]->isChecked();
  ShowRepeatCaption();
}

void TSlideShow::PictureSlideIntervalExecute() {
  int interval = settings_.base.slide_interval;
  if (!AskSlideInterval(interval)) return;
  settings_.base.slide_interval = interval;
  slide_timer_->setInterval(interval);
}

void TSlideShow::FileBackExecute() {
  if (!step || view_.Processing()) return;
  if (step(-1) == kAtEnd) Flash();
}

void TSlideShow::FileNextExecute() {
  if (!step || view_.Processing()) return;
  if (Running()) {
    NextSlide();
    return;
  }
  if (step(+1) == kAtEnd) Flash();
}

void TSlideShow::Flash() {
  // The end of a list: the picture area turns black for half a second (a running show keeps
  // its own colours).
  if (Running()) return;
  view_.SetSlideColors(true, 0);
  color_timer_->start();
}

void TSlideShow::ColorLists(bool slide) {
  if (!FullScreenOn()) return;
  for (QListWidget* list : {panels_.file_list, panels_.cap_list}) {
    QPalette palette = list->palette();
    palette.setColor(QPalette::Base,
                     slide ? QColor(Qt::black) : window_.palette().color(QPalette::Base));
    palette.setColor(QPalette::Text, slide ? QColor(0x00, 0x80, 0x00) : QColor(Qt::black));
    list->setPalette(palette);
  }
}

// ---------------------------------------------------------------------------------------------
// Full screen

void TSlideShow::ViewFullScreenExecute() {
  QAction* action = actions_["ViewFullScreen"];
  const bool on = full_screen_->isVisible();
  if (!on) {
    if (controller_.Busy()) {
      action->setChecked(false);
      return;
    }
    action->setChecked(true);
    full_screen_->SetRememberedWidths(*panels_.remembered_left, *panels_.remembered_right);
    full_screen_->LeftPanel()->hide();
    full_screen_->RightPanel()->hide();
    full_screen_->LendKeys(KeyedActions(window_));  // while every panel is still at home
    main_sizes_ = panels_.main_splitter->sizes();
    left_sizes_ = panels_.left_splitter->sizes();
    lender_.Lend(view_.MainPanel(), full_screen_->FullPanel());
    lender_.Lend(panels_.file_list, full_screen_->LeftPanel());
    lender_.Lend(panels_.cap_list, full_screen_->RightCenterPanel());
    lender_.Lend(panels_.thread_panel, full_screen_->RightTopPanel());
    panels_.thread_panel->hide();
    full_screen_->RightTopPanel()->setVisible(settings_.effect.show_progress_panel != 2);
    for (QListWidget* list : {panels_.file_list, panels_.cap_list})
      list->setFrameShape(QFrame::NoFrame);
    // Without a window manager showFullScreen alone leaves the size to chance.
    if (const QScreen* screen = window_.screen()) full_screen_->setGeometry(screen->geometry());
    full_screen_->showFullScreen();
    full_screen_->raise();
    full_screen_->activateWindow();
    ColorLists(Running());
  } else {
    action->setChecked(false);
    ColorLists(false);
    full_screen_->ReturnKeys();
    lender_.ReturnAll();
    for (QListWidget* list : {panels_.file_list, panels_.cap_list}) {
      list->setFrameShape(QFrame::StyledPanel);
      list->setPalette(window_.palette());
    }
    panels_.main_splitter->setSizes(main_sizes_);
    panels_.left_splitter->setSizes(left_sizes_);
    full_screen_->hide();
    // The keys go back to the window, not to whatever was behind the host.
    window_.raise();
    window_.activateWindow();
  }
  view_.AreaChanged();
  view_.ShowAgainAtPosition();
  if (reshow_record) reshow_record();
}

// ---------------------------------------------------------------------------------------------
// Panels

bool TSlideShow::PanelOpen(bool right) const {
  QWidget* panel = panels_.main_splitter->widget(right ? 2 : 0);
  return panel && !panel->isHidden() && panel->width() >= 10;
}

void TSlideShow::SetPanel(bool right, bool open) {
  QWidget* panel = panels_.main_splitter->widget(right ? 2 : 0);
  if (!panel) return;
  QList<int> sizes = panels_.main_splitter->sizes();
  const int index = right ? 2 : 0;
  const int width = open ? std::max(right ? *panels_.remembered_right : *panels_.remembered_left,
                                    right ? kMinRightWidth : kMinLeftWidth)
                         : 0;
  const int delta = width - (panel->isHidden() ? 0 : sizes[index]);
  panel->setVisible(open);
  sizes[index] = width;
  sizes[1] = std::max(1, sizes[1] - delta);
  panels_.main_splitter->setSizes(sizes);
  view_.AreaChanged();
}

void TSlideShow::TogglePanel(bool right) {
  if (FullScreenOn()) {
    full_screen_->TogglePanel(right);
    return;
  }
  SetPanel(right, !PanelOpen(right));
}

void TSlideShow::ViewDirectoryPanelExecute() { TogglePanel(false); }

void TSlideShow::ViewCapturePanelExecute() { TogglePanel(true); }

void TSlideShow::ViewFormMaxExecute() {
  SetPanel(false, false);
  SetPanel(true, false);
}

void TSlideShow::ViewShowNormalExecute() {
  SetPanel(false, true);
  SetPanel(true, true);
}

void TSlideShow::ViewMenuBarExecute() {
  QMenuBar* bar = window_.menuBar();
  bar->setVisible(bar->isHidden());
  settings_.base.set_menu = bar->isHidden();
  actions_["ViewMenuBar"]->setChecked(settings_.base.set_menu);
}
