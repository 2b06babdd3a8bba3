#include "effects/ThreadWatcher.h"

#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>

#include "platform/AppUtils.h"

TThreadWatcherBase::TThreadWatcherBase(const char* name, int top, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint) {
  setObjectName(name);
  constexpr int kWidth = 200;
  const QScreen* screen = QGuiApplication::primaryScreen();
  const int screen_width = screen ? screen->geometry().width() : 1024;
  setGeometry(screen_width - kWidth, top, kWidth, 76);
}

TThreadWatcherBase::~TThreadWatcherBase() { Shutdown(); }

void TThreadWatcherBase::Shutdown() {
  AbortThread();
  if (worker_) {
    worker_->wait();
    delete worker_;
    worker_ = nullptr;
  }
}

void TThreadWatcherBase::SetThreadPanel(QWidget* panel, QProgressBar* bar, QLabel* caption) {
  panel_ = panel;
  bar_ = bar;
  caption_ = caption;
}

void TThreadWatcherBase::ProgressRange(int max) {
  if (!bar_) return;
  QMetaObject::invokeMethod(
      bar_, [bar = bar_, max] { bar->setRange(0, std::max(max, 0)); }, Qt::QueuedConnection);
}

void TThreadWatcherBase::Progress(int position) {
  if (!bar_) return;
  QMetaObject::invokeMethod(
      bar_, [bar = bar_, position] { bar->setValue(position); }, Qt::QueuedConnection);
}

void TThreadWatcherBase::Status(const std::string& text) {
  if (!caption_) return;
  QMetaObject::invokeMethod(
      caption_, [label = caption_, text = QString::fromStdString(text)] { label->setText(text); },
      Qt::QueuedConnection);
}

void TThreadWatcherBase::PostMessage(const std::string& text, const std::string& caption) {
  QMetaObject::invokeMethod(
      this, [text, caption] { ApU().ShowMessage(text, caption); }, Qt::QueuedConnection);
}

bool TThreadWatcherBase::LaunchOn(TThreadFactory make_thread, TBody body, THandOver hand_over,
                                  std::string start_failed, std::string hand_over_failed) {
  if (!ready_ || Busy()) return false;
  // A worker that was aborted may still be on its way to its next check point.
  if (worker_) {
    worker_->wait();
    delete worker_;
    worker_ = nullptr;
  }
  busy_.store(true, std::memory_order_release);
  hand_over_ = std::move(hand_over);
  hand_over_failed_ = std::move(hand_over_failed);
  try {
    worker_ = make_thread([this, body = std::move(body)] {
      const TRunResult result = body();
      QMetaObject::invokeMethod(
          this, [this, hand_over = result.hand_over] { Finish(hand_over); }, Qt::QueuedConnection);
    });
    worker_->start(QThread::IdlePriority);
  } catch (...) {
    delete worker_;
    worker_ = nullptr;
    busy_.store(false, std::memory_order_release);
    ApU().ShowMessage(start_failed, TApU::kCaption);
    return false;
  }
  return true;
}

void TThreadWatcherBase::Finish(bool hand_over) {
  // A run aborted after its engine finished hands nothing over: the target stays as it was.
  if (hand_over && Busy() && hand_over_ && !hand_over_(result_))
    ApU().ShowMessage(hand_over_failed_, TApU::kCaption);
  busy_.store(false, std::memory_order_release);
  hand_over_ = nullptr;
  emit Finished();
}
