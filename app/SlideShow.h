#pragma once

#include <QKeySequence>
#include <QList>
#include <QObject>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "widgets/PanelLender.h"

class QAction;
class QBoxLayout;
class QLayout;
class QListWidget;
class QMainWindow;
class QMenu;
class QPushButton;
class QSplitter;
class QTimer;
class QWidget;
class TFullScreenForm;
class TImageThreadWatcherForm;
class TPictureView;
struct TMainSettings;

// Where the main window keeps the panels the slide show and full screen move around.
struct TWindowPanels {
  QSplitter* main_splitter = nullptr;   // left panel, picture area, right panel
  QSplitter* left_splitter = nullptr;   // folders, file list, data-file list
  QListWidget* file_list = nullptr;     // FileNameListBox
  QListWidget* cap_list = nullptr;      // DataFileNameListBox
  QBoxLayout* right_layout = nullptr;   // holds the button panel and the cap list
  QBoxLayout* button_layout = nullptr;  // holds the progress panel
  QWidget* thread_panel = nullptr;      // the job list's progress panel
  int* remembered_left = nullptr;       // widths the side panels return to
  int* remembered_right = nullptr;
};

// The slide show, full screen and the panel layout of the main window.
class TSlideShow : public QObject {
  Q_OBJECT

 public:
  // Dragging a side panel's splitter stops at this width; the full-screen host copies it.
  static constexpr int kMaxSidePanelWidth = 200;

  // What a step through the active list did (the values of TStepResult).
  enum TStep { kShown = 0, kMissing = 1, kFailed = 2, kAtEnd = 3, kBusy = 4 };

  TSlideShow(QMainWindow& window, TMainSettings& settings, TPictureView& view,
             TImageThreadWatcherForm& controller, TWindowPanels panels);
  ~TSlideShow() override;

  QMenu* Menu() const { return menu_; }                 // "ピクチャー(&P)"
  QMenu* DisplayMenu() const { return display_menu_; }  // "画面表示(&V)"
  QWidget* ButtonPanel() const { return button_panel_; }
  QAction* Action(const std::string& name) const;
  QPushButton* Button(const std::string& name) const;
  QTimer* SlideTimer() const { return slide_timer_; }
  TFullScreenForm& FullScreen() const { return *full_screen_; }

  // The active list: step through it (delta -1 or +1) and select an entry by index.
  std::function<int(int delta)> step;
  std::function<int(int index)> select;
  // With the data-file list and "リストのデータ(&L)" on: the next data file at the end of a list
  // (false when there is none left; wrap says whether to start again at the first).
  std::function<bool(bool wrap)> next_data_file;
  std::function<bool()> data_files_shown;  // SetShowTextDataPicture
  // A cap data record shown in a frame mode is shown again after full screen changes.
  std::function<void()> reshow_record;
  // The picture the next tick shows is being prepared in advance: the tick waits for it.
  std::function<bool()> next_on_its_way;

  void ApplySettings();
  void TakeSettings();

  bool Running() const;
  int MissedTicks() const { return missed_ticks_; }

  // Commands.
  void PictureSlideExecute();
  void PictureSlideRepeatExecute();
  void PictureSlideIntervalExecute();
  void ViewFullScreenExecute();
  void ViewFormMaxExecute();
  void ViewShowNormalExecute();
  void ViewDirectoryPanelExecute();
  void ViewCapturePanelExecute();
  void ViewMenuBarExecute();
  // Back and next in the active list with the end-of-list flash.
  void FileBackExecute();
  void FileNextExecute();
  // Stops the show (an unreadable picture, the abort button, closing).
  void Stop();
  // Ctrl+left / Ctrl+right on the picture: the side panels (full screen: the host's).
  void TogglePanel(bool right);
  // During a slide show in "最大限表示" with free positioning: the place new pictures start from.
  bool SlidePlace(int& left, int& top) const;
  bool FullScreenOn() const;

 private:
  void BuildActions();
  void BuildButtons();
  QAction* MakeAction(const char* name, const char* caption, const QKeySequence& key = {},
                      bool checkable = false);
  void SlideTimerTimer();
  // FileNext during a show: at the end, the next data file, the first entry, or the end of it.
  void NextSlide();
  void ColorLists(bool slide);
  // Full screen borrows the window's panels; each leaves a stand-in in its slot so that the
  // window's splitters and layouts keep their shares and order until it comes back.
  void SetPanel(bool right, bool open);
  bool PanelOpen(bool right) const;
  void Flash();
  void ShowRepeatCaption();

  QMainWindow& window_;
  TMainSettings& settings_;
  TPictureView& view_;
  TImageThreadWatcherForm& controller_;
  TWindowPanels panels_;
  TFullScreenForm* full_screen_;
  QTimer* slide_timer_;
  QTimer* color_timer_;
  QMenu* menu_ = nullptr;
  QMenu* display_menu_ = nullptr;
  QWidget* button_panel_ = nullptr;
  std::map<std::string, QAction*> actions_;
  std::map<std::string, QPushButton*> buttons_;
  TPanelLender lender_;
  QList<int> main_sizes_;  // the splitters' shares when full screen began
  QList<int> left_sizes_;
  int missed_ticks_ = 0;
  bool skipping_ = false;
  int free_left_ = 0;  // the place new pictures start from in "最大限表示"
  int free_top_ = 0;
};
