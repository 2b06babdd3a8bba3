#pragma once

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "engine/Bitmap24.h"

class QAction;
class QMenu;
class QTimer;
class PathText;
class TMainImage;
class TPictureLoader;
struct TImageViewBasicSettings;

// The basic picture view (ImageViewBasic): shows one item of a data file, a picture path or the
// region of a cap data record, fitted to the window; steps through the data file window's list
// with Shift and a mouse button and runs its own slide show over it.
class TImageViewBasicForm : public QWidget {
  Q_OBJECT

 public:
  TImageViewBasicForm(TImageViewBasicSettings& settings, const TPictureLoader& loader,
                      const PathText& paths, std::string search_more_drive,
                      QWidget* parent = nullptr);
  ~TImageViewBasicForm() override;

  // The item: 1 field (a path) or 5 fields (path, x, y, w, h).
  void SetItem(std::vector<std::string> fields) { fields_ = std::move(fields); }
  const std::vector<std::string>& Item() const { return fields_; }
  // Loads and shows the item; false when it cannot be shown (the caption says why).
  bool ShowItem();
  // Fits the picture into the panel (also on every resize).
  void FitPicture();
  void SaveSettings();
  QAction* Action(const std::string& name) const;
  const TBitmap24& Picture() const { return picture_; }
  QRect PictureRect() const;

  // The viewer's list: step(+1 / -1) selects and shows the next or previous line (wrapping);
  // slide_tick advances the slide show and returns false when it ends.
  std::function<void(int)> step;
  std::function<bool()> slide_tick;
  // A close request on the window is the owner's: it switches the preview off, which releases
  // the window.
  std::function<void()> close_request;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void Fail(const std::string& caption);
  void SlideIntervalExecute();

  TImageViewBasicSettings& settings_;
  const TPictureLoader& loader_;
  const PathText& paths_;
  std::string search_more_drive_;
  std::vector<std::string> fields_;
  TBitmap24 picture_;
  bool vector_region_ = false;
  bool skip_resize_ = true;
  QSize last_size_;
  QWidget* image_panel_ = nullptr;
  TMainImage* main_image_ = nullptr;
  QMenu* popup_ = nullptr;
  QTimer* resize_timer_ = nullptr;
  QTimer* slide_timer_ = nullptr;
  QAction* slide_show_ = nullptr;
  QAction* slide_repeat_ = nullptr;
  QAction* slide_interval_ = nullptr;
  QAction* slide_show_all_ = nullptr;
  QAction* image_center_ = nullptr;
};
