#pragma once

#include <QObject>
#include <functional>
#include <string>
#include <vector>

class QAction;
class QMenu;
class TImageThreadWatcherForm;
class TSavePictureListForm;
struct TMainParts;

// "一括リサイズ保存(&T)" of the main window: the active list saved in one run by the batch save
// dialog, with the options the settings file remembers.
class TBatchSaveCommand : public QObject {
  Q_OBJECT

 public:
  // The dialog is shown modally through dialog_runner, which tests replace to work the dialog
  // as a user would; it returns the dialog's result.
  using TDialogRunner = std::function<int(TSavePictureListForm& dialog)>;

  TBatchSaveCommand(TMainParts& parts, TImageThreadWatcherForm& controller);

  QAction* Action() const { return action_; }
  // Adds the action to menu and keeps it enabled only while no processing runs.
  void PlaceIn(QMenu* menu);
  void SetDialogRunner(TDialogRunner runner) { runner_ = std::move(runner); }

  void FileAllReSizeSaveExecute();

 private:
  TMainParts& parts_;
  TImageThreadWatcherForm& controller_;
  QAction* action_ = nullptr;
  TDialogRunner runner_;
};
