#include "effects/ImageViewBasic.h"

#include <QAction>
#include <QCloseEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>
#include <filesystem>

#include "engine/CaptureRender.h"
#include "engine/EffectFields.h"
#include "engine/FileNames.h"
#include "engine/ImageBasics.h"
#include "model/Settings.h"
#include "platform/AppUtils.h"
#include "platform/PathText.h"
#include "widgets/ListPrompts.h"
#include "widgets/MainImage.h"

TImageViewBasicForm::TImageViewBasicForm(TImageViewBasicSettings& settings,
                                         const TPictureLoader& loader, const PathText& paths,
                                         std::string search_more_drive, QWidget* parent)
    : QWidget(parent, Qt::Window),
      settings_(settings),
      loader_(loader),
      paths_(paths),
      search_more_drive_(std::move(search_more_drive)) {
  setObjectName("ImageViewBasicForm");
  setWindowTitle("ImageViewBasic");
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  image_panel_ = new QWidget;
  image_panel_->setObjectName("ImagePanel");
  image_panel_->setAttribute(Qt::WA_TransparentForMouseEvents);
  layout->addWidget(image_panel_);
  main_image_ = new TMainImage(image_panel_);
  main_image_->setObjectName("MainImage");
  main_image_->hide();

  popup_ = new QMenu(this);
  const auto make = [this](const char* name, const char* caption, bool checkable) {
    QAction* action = popup_->addAction(caption);
    action->setObjectName(name);
    action->setCheckable(checkable);
    return action;
  };
  slide_show_ = make("SlideShow1", "スライドショー(&S)", true);
  slide_repeat_ = make("SlideRepeat1", "繰り返す(&A)", true);
  slide_interval_ = make("SlideInterval1", "インターバル( &I )", false);
  slide_show_all_ = make("SlideShowAll1", "すべてのファイル(&M)", true);
  popup_->addSeparator();
  image_center_ = make("ImageCenter1", "中央表示(&C)", true);
  slide_repeat_->setChecked(settings_.slide_repeat);
  slide_show_all_->setChecked(settings_.slide_all);
  image_center_->setChecked(settings_.image_center);

  slide_timer_ = new QTimer(this);
  slide_timer_->setInterval(std::max(1, settings_.slide_interval));
  connect(slide_timer_, &QTimer::timeout, this, [this] {
    if (slide_tick && !slide_tick()) slide_show_->setChecked(false);
  });
  connect(slide_show_, &QAction::toggled, this, [this](bool on) {
    if (on)
      slide_timer_->start();
    else
      slide_timer_->stop();
  });
  connect(slide_interval_, &QAction::triggered, this, [this] { SlideIntervalExecute(); });
  connect(image_center_, &QAction::toggled, this, [this] { FitPicture(); });
  resize_timer_ = new QTimer(this);
  resize_timer_->setInterval(250);
  connect(resize_timer_, &QTimer::timeout, this, [this] {
    // A metafile region is drawn anew only once the size has settled.
    if (size() == last_size_) {
      resize_timer_->stop();
      ShowItem();
    } else {
      last_size_ = size();
    }
  });
  setGeometry(settings_.left, settings_.top, std::max(settings_.width, 100),
              std::max(settings_.height, 100));
}

TImageViewBasicForm::~TImageViewBasicForm() { SaveSettings(); }

void TImageViewBasicForm::closeEvent(QCloseEvent* event) {
  if (!close_request) return;  // no owner: the window simply closes
  event->ignore();
  slide_show_->setChecked(false);
  close_request();
}

QAction* TImageViewBasicForm::Action(const std::string& name) const {
  return findChild<QAction*>(QString::fromStdString(name));
}

void TImageViewBasicForm::SaveSettings() {
  settings_.left = geometry().left();
  settings_.top = geometry().top();
  settings_.width = width();
  settings_.height = height();
  settings_.slide_all = slide_show_all_->isChecked();
  settings_.slide_repeat = slide_repeat_->isChecked();
  settings_.image_center = image_center_->isChecked();
  settings_.slide_interval = slide_timer_->interval();
}

void TImageViewBasicForm::Fail(const std::string& caption) {
  picture_.Clear();
  main_image_->SetPicture(nullptr, false);
  main_image_->hide();
  setWindowTitle(QString::fromStdString(caption));
}

bool TImageViewBasicForm::ShowItem() {
  if (fields_.size() != 1 && fields_.size() != 5) {
    Fail("未知のデータ");
    return false;
  }
  std::string& path = fields_[0];
  std::error_code ec;
  if (!std::filesystem::exists(path, ec) && !search_more_drive_.empty()) {
    const std::string moved = paths_.ReplaceDrive(path, search_more_drive_);
    if (std::filesystem::exists(moved, ec)) path = moved;
  }
  const std::string ext = LowerExtension(path);
  if (ext.empty() || !std::filesystem::exists(path, ec)) {
    Fail("ファイルが見つかりません。");
    return false;
  }
  TBitmap24 loaded;
  vector_region_ = false;
  if (fields_.size() == 1) {
    if (!LoadPictureFile(loaded, path, loader_)) {
      Fail("ピクチャーロードに失敗しました。");
      return false;
    }
  } else {
    TCapData record;
    record.path = path;
    if (!effect_fields::ParseInt(fields_[1], record.x) ||
        !effect_fields::ParseInt(fields_[2], record.y) ||
        !effect_fields::ParseInt(fields_[3], record.w) ||
        !effect_fields::ParseInt(fields_[4], record.h)) {
      Fail("未知のデータ");
      return false;
    }
    bool ok = false;
    if (ext == ".wmf" || ext == ".emf") {
      const double factor =
          ControlFitFactor(true, image_panel_->width(), image_panel_->height(), record.w, record.h);
      ok = factor > 0 && RenderScaledRegion(loaded, record, 0, factor, loader_);
      vector_region_ = ok;
    } else {
      ok = RenderRegion(loaded, record, false, loader_);
    }
    if (!ok) {
      Fail("ピクチャーロードに失敗しました。");
      return false;
    }
  }
  picture_ = std::move(loaded);
  main_image_->SetPicture(&picture_, false);
  main_image_->show();
  FitPicture();
  return true;
}

QRect TImageViewBasicForm::PictureRect() const { return main_image_->geometry(); }

void TImageViewBasicForm::FitPicture() {
  if (picture_.Empty()) return;
  if (image_panel_->width() <= 0) {
    setWindowTitle("初期設定エラー(Parent_Error(例外))");
    return;
  }
  const double factor = ControlFitFactor(true, image_panel_->width(), image_panel_->height(),
                                         picture_.Width(), picture_.Height());
  if (!(factor > 0)) {
    setWindowTitle("未知のデータ");
    return;
  }
  const int w = static_cast<int>(std::lround(factor * picture_.Width()));
  const int h = static_cast<int>(std::lround(factor * picture_.Height()));
  const bool centre = image_center_->isChecked();
  main_image_->setGeometry(centre ? (image_panel_->width() - w) / 2 : 0,
                           centre ? (image_panel_->height() - h) / 2 : 0, w, h);
  setWindowTitle(QString::fromStdString(paths_.FileName(fields_.empty() ? "" : fields_[0])));
}

void TImageViewBasicForm::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (skip_resize_) {
    skip_resize_ = false;
    return;
  }
  if (vector_region_) {
    if (!resize_timer_->isActive() && size() != last_size_) {
      last_size_ = size();
      resize_timer_->start();
    }
    return;
  }
  FitPicture();
}

void TImageViewBasicForm::mousePressEvent(QMouseEvent* event) {
  const bool shift = event->modifiers() & Qt::ShiftModifier;
  if (shift && step) {
    if (event->button() == Qt::LeftButton) step(-1);
    if (event->button() == Qt::RightButton) step(+1);
    return;
  }
  if (event->button() == Qt::RightButton) popup_->popup(event->globalPosition().toPoint());
}

void TImageViewBasicForm::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) slide_show_->toggle();
}

void TImageViewBasicForm::SlideIntervalExecute() {
  int interval = slide_timer_->interval();
  if (AskSlideInterval(interval)) slide_timer_->setInterval(interval);
}
