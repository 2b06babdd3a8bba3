#pragma once

#include <QKeySequence>
#include <QObject>
#include <QPoint>
#include <QRect>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/JobParts.h"
#include "app/ViewerGeometry.h"
#include "engine/Bitmap24.h"

class QAction;
class QActionGroup;
class QComboBox;
class QLabel;
class QMainWindow;
class QMenu;
class QMouseEvent;
class QWheelEvent;
class QProgressBar;
class QPushButton;
class QWidget;
class TImageThreadWatcherForm;
class TMainImage;
class TPictureLoader;
class TReadAhead;
class PathText;
struct TMainSettings;

// Where the shown picture came from, for the window caption.
struct TShownFrom {
  enum TList { kFileList, kCapData, kDataFile };
  TList list = kFileList;
  std::string name;  // file name
  int index = 0;     // 1-based
  int count = 0;
};

// The main window's picture area: the shown, working and undo pictures, zoom and placement with
// their actions, the every-time processing, dragging the picture and the capture frame, and the
// window caption. The arithmetic is TViewerGeometry's; the job list runs in TPictureJobs.
class TPictureView : public QObject, public TJobTarget {
  Q_OBJECT

 public:
  TPictureView(QMainWindow& window, TMainSettings& settings, const TPictureLoader& loader,
               TImageThreadWatcherForm& controller, const PathText& paths);
  ~TPictureView() override;

  // Widgets the main window places: the picture area (MainPanel), the zoom controls and the
  // progress panel for the operations panel.
  QWidget* MainPanel() const { return main_panel_; }
  QWidget* ImagePanel() const { return image_panel_; }
  TMainImage* MainImage() const { return main_image_; }
  QWidget* ZoomPanel() const { return zoom_panel_; }
  QComboBox* ZoomComboBox() const { return zoom_combo_box_; }
  QComboBox* RealZoomComboBox() const { return real_zoom_combo_box_; }
  QPushButton* ZoomButton() const { return zoom_button_; }
  QMenu* ViewMenu() const { return view_menu_; }
  QMenu* PopupMenu() const { return popup_menu_; }
  // The shown picture's place in the list it came from changed (a sort): the caption follows.
  void Renumber(TShownFrom::TList list, int index, int count);
  QAction* Action(const std::string& name) const;
  // During a slide show in "最大限表示" with free positioning: the place new pictures start
  // from (false: the usual place).
  std::function<bool(int& left, int& top)> slide_place;
  // The job list that runs the every-time steps; set once, before any picture is shown.
  void SetJobs(TJobRunner& jobs) { jobs_ = &jobs; }
  // Neighbours prepared in advance: pictures to take instead of loading them, told when a
  // picture is finished.
  void SetReadAhead(TReadAhead* read_ahead) { read_ahead_ = read_ahead; }

  // Applies the settings read at start and takes them back at close.
  void ApplySettings();
  void TakeSettings();

  // Shows a picture file: loads it, runs the every-time processing and lays it out. False when
  // the file is missing or cannot be read (the caption says which; the pictures are cleared).
  // Nothing happens (false) while processing runs.
  bool ShowPictureFile(const std::string& path, const TShownFrom& from);
  // Shows a cap data record cut out (the standard modes): cut becomes the working picture and the
  // record's effect entries run before the every-time steps. cut is taken over.
  bool ShowRecordCut(TBitmap24& cut, const std::vector<std::string>& effects,
                     const TShownFrom& from);
  // Shows a record's whole picture with its rectangle framed at the position (the frame modes);
  // with shadows the area outside the rectangle is covered. False when the picture cannot be
  // read (the caption says so).
  bool ShowRecordFramed(const std::string& path, int left, int top, int width, int height,
                        bool shadows, const TShownFrom& from);
  bool FrameMode() const { return frame_mode_; }
  // The frame (ImagePanel) and the picture's offset in it, as capture reads them.
  QRect FrameRect() const;
  QPoint PictureOffset() const;
  // Reset: the frame gets the whole area, zoom 1, picture at the top-left. Maximize: frame and
  // zoom grow together until the frame fills the area. Shrink: the frame ends at the picture.
  void ResetFrame();
  void MaximizeFrame();
  void ShrinkFrameToPicture();
  // A text effect entry drawn at once on the working picture, and on the undo picture too
  // unless into_stock is off (a drawing by hand stays undoable). left and top (optional)
  // receive the drawn block's place.
  bool DrawTextEffect(const std::string& entry, bool into_stock = true, int* left = nullptr,
                      int* top = nullptr) override;

  // Clears the pictures; the caption becomes "Velmora  " followed by note.
  void ClearPicture(const std::string& note = {});
  bool HasPicture() const override;
  bool Processing() const;
  const std::string& ShownPath() const { return shown_path_; }

  // The pictures (working, undo) and the state the other parts read.
  TBitmap24& Working() override { return back_; }
  TBitmap24& Stock() override { return stock_; }
  const TViewerGeometry& Geometry() const override { return geometry_; }
  bool Resized() const { return resized_; }
  bool CanUndo() const { return !undo_in_effect_ && !stock_.Empty(); }
  // Colours the picture surfaces for a slide show (the area loses its border) or back.
  void SetSlideColors(bool slide, TColor color);
  void SetResized(bool on) { resized_ = on; }
  // The position (1..9) the end of the next processing lays the picture out at instead of the
  // chosen one, once; 0 keeps the chosen one. The effect dialogs centre their results.
  void SetEndPosition(int position) { end_position_ = position; }

  // The set-up step on the working picture; false (with the designed message) when it cannot
  // be shown.
  bool SetUpPicture(TViewerGeometry::TPlacing placing) override;
  // Recomputes the area from the panel and re-lays out the picture (window or panel resize).
  void AreaChanged();
  // Sets the picture up by the position rule even in free positioning (full screen changes).
  void ShowAgainAtPosition();
  void SetAreaOverride(int width, int height);  // full screen: the area is another panel's

  // Hand-over of a worker's result into the working picture (Set_ThreadPicture); also into the
  // undo picture when into_stock is set.
  bool SetThreadPicture(TBitmap24& result, bool into_stock) override;
  // A picture made on the UI thread (cut-out) becomes the working picture and is laid out.
  void SetWorkingPicture(TBitmap24& picture);
  // Before an effect step: a rendered metafile becomes its raster copy, then the working picture
  // is copied into the undo picture and undo becomes possible. keep_reference leaves an undo
  // picture that exists as it is (a dialog's run starts from it).
  void PrepareEffectStep(bool keep_reference = false) override;
  // After the last step: the working picture's size becomes the picture size and it is shown
  // (at the end position once, when one was set).
  void FinishProcessing() override;
  // Every caption of the window ends with the note (empty: none).
  void SetCaptionNote(std::string note) { caption_note_ = std::move(note); }
  void SetCaption(const std::string& caption) override;
  void ShowCaption();  // the caption of the shown picture

  // Commands (handlers keep the design's names).
  void PictureZoomInExecute();
  void PictureZoomOutExecute();
  void PictureNoZoomExecute();
  void PictureWidthBaseExecute();
  void PictureHeightBaseExecute();
  void PictureZoomInputExecute();
  void PictureSizeNoSpaceExecute();
  void PictureSizeRealExecute();
  void PictureSizeRealControlInExecute();
  void RealZoomExecute(QAction* action);
  void NowRealZoomControlExecute();
  // The real-size control value from the settings dialog.
  void SetRealZoomControl(double x);
  void GetRealZoomControlExecute();
  void PicturePosExecute(int position);
  void PicturePosFreeExecute();
  void PicturePosRotationExecute();
  void ZoomButtonClick();
  void UndoPictureExecute();
  void ReNewStockPictureExecute();
  void PictureCopyExecute();
  // A zoom change to x (relative, or real in real-size mode), with its message.
  void ZoomChange(double x);
  // Moves the picture as a drag does: at least 10 pixels stay inside the area.
  void MovePictureTo(int left, int top);
  // Applies a value typed into the enabled zoom box that differs from the current zoom.
  void TakeTypedZoom();

  TJobOptions EveryTimeOptions() const;
  TArrangement Arrangement() const override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 signals:
  // Mouse gestures on the picture, for the parts that implement them.
  void StepListRequested(int step);                // Shift+left: -1, Shift+right: +1, the wheel
  void TogglePanelRequested(bool right);           // Ctrl+left / Ctrl+right
  void FullScreenToggleRequested();                // Alt+left
  void SlideShowToggleRequested();                 // double click
  void PictureStopped();                           // a picture could not be shown
  void FrameAreaChanged();                         // the area changed under a framed record
  void PictureSizeChanged(int width, int height);  // the end of processing

 private:
  void BuildWidgets();
  void BuildActions();
  void BuildMenus();
  QAction* MakeAction(const char* name, const char* caption, const QKeySequence& key = {},
                      bool checkable = false);
  void ApplyLayout();
  void ShowZoomTexts(bool after_change);
  void SyncZoomControls();
  void ShowAgain();
  bool ZoomStep(double& step, const char* error);
  // take_prepared: a picture read-ahead prepared is taken instead of loading the file.
  bool LoadPicture(const std::string& path, bool take_prepared = false);
  void RenderMetafile();
  void PictureWheel(QWheelEvent* event);
  void PicturePressed(QMouseEvent* event);
  void PictureMoved(QMouseEvent* event);
  void PictureReleased();
  void FramePressed(QMouseEvent* event);
  void FrameMoved(QMouseEvent* event);
  void FrameReleased();
  void ShowDragFigures();
  void PlaceShadows(bool show);
  void LeaveFrameMode();
  void Guard(const char* handler, const std::function<void()>& body);

  QMainWindow& window_;
  TMainSettings& settings_;
  const TPictureLoader& loader_;
  TImageThreadWatcherForm& controller_;
  const PathText& paths_;
  TJobRunner* jobs_ = nullptr;
  TReadAhead* read_ahead_ = nullptr;
  TViewerGeometry geometry_;
  TWheelNotches wheel_;

  TBitmap24 stock_;  // StockImage: the undo picture
  TBitmap24 back_;   // BackImage: the working picture
  std::string caption_note_;
  std::string shown_path_;
  std::string metafile_path_;  // while the working picture is a metafile drawn at display size
  TShownFrom from_;
  bool processed_ = false;  // the working picture is the result of processing
  bool undo_in_effect_ = false;
  bool resized_ = false;
  int end_position_ = 0;
  bool over_limit_ = false;  // beyond the working size limit: shown smoothly
  bool frame_mode_ = false;  // a record shown whole with its rectangle framed
  QWidget* shadows_[4] = {};
  int area_override_width_ = -1;
  int area_override_height_ = -1;

  // Dragging.
  enum class TDrag { kNone, kPicture, kFrame };
  TDrag drag_ = TDrag::kNone;
  QPoint drag_start_;
  int drag_left_ = 0;
  int drag_top_ = 0;

  QWidget* main_panel_ = nullptr;
  QWidget* image_panel_ = nullptr;
  TMainImage* main_image_ = nullptr;
  QWidget* zoom_panel_ = nullptr;
  QComboBox* zoom_combo_box_ = nullptr;
  QComboBox* real_zoom_combo_box_ = nullptr;
  QPushButton* zoom_button_ = nullptr;
  QLabel* real_label_ = nullptr;
  QWidget* zoom_control_check_box_ = nullptr;
  QMenu* view_menu_ = nullptr;
  QMenu* popup_menu_ = nullptr;
  QMenu* real_popup_ = nullptr;
  QMenu* position_menu_ = nullptr;
  std::map<std::string, QAction*> actions_;
  QActionGroup* position_group_ = nullptr;
  QActionGroup* arrangement_group_ = nullptr;
  QActionGroup* every_time_group_ = nullptr;
};
