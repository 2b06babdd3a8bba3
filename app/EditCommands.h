#pragma once

#include <QKeySequence>
#include <QObject>
#include <functional>
#include <map>
#include <string>

class QAction;
class QMainWindow;
class QMenu;
class TImageThreadWatcherForm;
class TPictureJobs;
class TPictureView;
struct TMainSettings;

// The "編集する(&E)" menu of the main window: correction, low-pass and unsharp mask by hand,
// cut-out, size, copy, undo and renew, and the hosting of the effect dialogs and the thumbnail
// table. The dialogs and the table arrive with their own windows; each registers once through
// RegisterDialog or RegisterTable, which shows its actions.
class TEditCommands : public QObject {
  Q_OBJECT

 public:
  // What the window needs of an effect dialog: open it (false when it could not be shown),
  // close it (handing its records back) and bring it forward.
  struct TDialogHost {
    std::function<bool()> open;
    std::function<void()> close;
    std::function<void()> focus;
  };
  // The size dialog: width, height and the ratio choice in and out; false when cancelled.
  using TSizeDialog = std::function<bool(int& width, int& height, bool& ignore_ratio)>;

  TEditCommands(QMainWindow& window, TMainSettings& settings, TPictureView& view,
                TPictureJobs& jobs, TImageThreadWatcherForm& controller);

  QMenu* Menu() const { return menu_; }
  QAction* Action(const std::string& name) const;

  // show_action: "ShowRotationArrangeForm", "ShowRGBArrangeForm", "ShowFreeFilterForm",
  // "ShowTextArrangeForm" or "ShowFusionArrangeForm".
  void RegisterDialog(const std::string& show_action, TDialogHost host);
  // Closes every open dialog as its close command does (records handed back). The program ends
  // only when no window is left that could refuse to close.
  void CloseDialogs();
  // The thumbnail table: open with the active list (add: PictureTableAddData) and whether its
  // worker is idle.
  void RegisterTable(std::function<void(bool add)> open, std::function<bool()> idle);
  void SetSizeDialog(TSizeDialog dialog) { size_dialog_ = std::move(dialog); }

  void SetRectifyExecute();
  void SetLowPassFilterExecute();
  void SetUnSharpMaskingExecute();
  void ClipOutPitureExecute();
  void PictureZoomWidthHeightExecute();

 private:
  QAction* MakeAction(const char* name, const char* caption, const QKeySequence& key = {});
  void DialogActionTriggered(const std::string& show_action);
  void MenuOpening();

  QMainWindow& window_;
  TMainSettings& settings_;
  TPictureView& view_;
  TPictureJobs& jobs_;
  TImageThreadWatcherForm& controller_;
  QMenu* menu_ = nullptr;
  std::map<std::string, QAction*> actions_;
  std::map<std::string, TDialogHost> dialogs_;
  std::function<void(bool)> open_table_;
  std::function<bool()> table_idle_;
  TSizeDialog size_dialog_;
};
