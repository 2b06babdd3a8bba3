#pragma once

#include <QObject>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/Bitmap24.h"
#include "engine/CaptureBasics.h"
#include "model/CapDataList.h"
#include "model/FileLists.h"

class QAction;
class QActionGroup;
class QListWidget;
class QMainWindow;
class QMenu;
class QPushButton;
class QTimer;
class QWidget;
class PathText;
class TFileListAccess;
class TPictureLoader;
class TPictureView;
class TRightList;
struct TMainSettings;

// Capturing regions of the shown picture into cap data records, and the right list that holds
// them: single capture, equal and overlapping division, replace, add and replace effects, delete,
// clear, the editor hand-over, reset and maximize, and the four display modes in which a record
// is shown. The arithmetic is in CaptureGeometry, the list model in TCapDataList.
class TCaptureActions : public QObject {
  Q_OBJECT

 public:
  // The effect an open dialog adds to captures, in the order text, rotation, free filter, RGB.
  struct TCaptureEffect {
    std::function<bool()> automatic;       // the dialog is open and its automatic-effect box is on
    std::function<std::string()> setting;  // its current setting string
  };
  // The cap data editor: edits line for the record at index; returns mb::kIdOk to replace the
  // record, 6 to add the line as a new record, anything else to leave the list as it is.
  using TEditor = std::function<int(std::size_t index, std::string& line)>;

  TCaptureActions(QMainWindow& window, TMainSettings& settings, TPictureView& view,
                  TFileListAccess& files, TRightList& right, const PathText& paths,
                  const TPictureLoader& loader);
  ~TCaptureActions() override;

  QWidget* ButtonPanel() const { return button_panel_; }
  QMenu* Menu() const { return menu_; }
  QMenu* ListPopup() const { return list_popup_; }
  QAction* Action(const std::string& name) const;
  QPushButton* Button(const std::string& name) const;

  void RegisterCaptureEffect(TEffectKind kind, TCaptureEffect effect);
  // The editor's window; with it "データ編集(&E)" appears.
  void SetEditor(TEditor editor);

  // Fills the list from CapList.dat's lines at start (the unknown-data message once).
  void LoadLines(std::vector<std::string> lines);
  void ApplySettings();
  void TakeSettings();

  // Commands.
  void CaptureDataCaptureExecute();
  void CaptureDivideEquallyCaptureExecute();
  void CaptureBulkyCaptureExecute();
  void CaptureDataReplaceExecute();
  // Entry points of the effect dialogs' add and replace commands.
  void CaptureAddCaptureExecute(TEffectKind kind, const std::string& setting);
  void ReplaceEffectCapDataExecute(TEffectKind kind, const std::string& text, bool same_kind);
  void CaptureDataDeleteExecute();
  void CaptureDataListClearExecute();
  void CaptureDataEditExecute();
  void CaptureShowResetExecute();
  void CaptureShowMaximizeExecute();
  // The four sorts of the cap data list, keeping the selected record selected.
  void CapFileSortExecute(TCapSortKey key);
  // File-list mode: the capture action's caption, and the editor and sorts hidden.
  void SetFileListMode(bool on);

  // Shows the record at index in the current display mode; true when it was shown.
  bool ShowRecord(int index);
  // Back (-1) and next (+1) through the records: 0 shown, 1 missing, 2 failed, 3 at an end,
  // 4 busy (the values of TStepResult).
  int Step(int delta);
  // The file list became the active list.
  void FileListShown();
  bool RecordShown() const { return shown_record_ >= 0; }
  // A record's cut prepared in advance (read-ahead): true with the cut in place.
  std::function<bool(const TCapData& record, TBitmap24& cut)> take_prepared_cut;
  int ShownRecord() const { return shown_record_; }
  // The picture area's frame changed size: a framed record is shown again once it settles.
  void FrameAreaChanged();

 signals:
  // Ctrl + right click on the capture button: file-list mode on or off.
  void FileListModeToggleRequested();
  // Capture in file-list mode: the shown file joins the right list.
  void AddFileToListRequested();

 private:
  enum class TMode { kStandard, kNoFrameStandard, kFrame, kNoFrame };

  void BuildActions();
  void BuildButtons();
  QAction* MakeAction(const char* name, const char* caption, bool checkable = false);
  TMode Mode() const;
  bool StandardMode() const {
    return Mode() == TMode::kStandard || Mode() == TMode::kNoFrameStandard;
  }
  void EnableCapture(bool capture, bool replace);
  double ShownReal() const;
  bool RefuseResizedOrEmpty(const char* resized_message);
  void Divide(double overlap, int gap);
  bool AddRecord(const std::string& line);
  void OpenEditor(std::size_t index, std::string line);
  std::string RecordPathField() const;
  bool CutBeyondTheLimit(const TCapData& record, TBitmap24& cut) const;
  bool eventFilter(QObject* watched, QEvent* event) override;

  QMainWindow& window_;
  TMainSettings& settings_;
  TPictureView& view_;
  TFileListAccess& files_;
  TRightList& right_;
  QListWidget& list_box_;
  TCapDataList& list_;
  const PathText& paths_;
  const TPictureLoader& loader_;
  TEditor editor_;
  std::map<TEffectKind, TCaptureEffect> capture_effects_;
  int shown_record_ = -1;
  bool showing_ = false;

  QWidget* button_panel_ = nullptr;
  QMenu* menu_ = nullptr;
  QMenu* list_popup_ = nullptr;
  QActionGroup* mode_group_ = nullptr;
  QTimer* resize_timer_ = nullptr;
  std::map<std::string, QAction*> actions_;
  std::map<std::string, QPushButton*> buttons_;
};
