#include "platform/AppUtils.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QScreen>
#include <QVBoxLayout>
#include <cstring>

#include "platform/ApUWindow.h"
#include "platform/QtDialogService.h"
#include "platform/StringFormats.h"

TApU::TApU(TDialogService* service) : service_(service) {
  if (!service_) {
    owned_service_ = std::make_unique<TQtDialogService>();
    service_ = owned_service_.get();
  }
}

TApU::~TApU() = default;

void TApU::SetService(TDialogService* service) {
  service_ = service ? service : owned_service_.get();
  if (!service_) {
    owned_service_ = std::make_unique<TQtDialogService>();
    service_ = owned_service_.get();
  }
}

TApUWindow* TApU::Window() {
  if (!window_) window_ = std::make_unique<TApUWindow>();
  return window_.get();
}

int TApU::ShowMessage(const std::string& text, const std::string& caption, int flags) {
  try {
    if (flags == -1) {
      service_->ShowMessage(text);
      return -1;
    }
    return service_->MessageBox(text, caption, flags);
  } catch (...) {
    try {
      Window()->ShowText(QString::fromStdString(caption + " (予定外のエラーです。)"),
                         QString::fromStdString(text));
    } catch (...) {
      if (window_) window_->hide();
    }
    return 0;
  }
}

std::string TApU::SignedFixedWidth(long long value, int digits) {
  std::string overflow;
  std::string text = ::SignedFixedWidth(value, digits, &overflow);
  if (!overflow.empty()) Say(overflow);
  return text;
}

void TApU::FigureReverse(const std::string& text, int width, std::string& result) {
  if (!::FigureReverse(text, width, result)) Say("StringFigureReverse");
}

void TApU::SplitColor(std::uint32_t color, std::uint8_t& red, std::uint8_t& green,
                      std::uint8_t& blue) {
  if (color > 0xFFFFFF) {
    red = green = blue = 255;
    return;
  }
  red = ColorRed(color);
  green = ColorGreen(color);
  blue = ColorBlue(color);
}

bool TApU::CopyPictureToClipboard(const TBitmap24& picture) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (!clipboard || picture.Empty()) return false;
  QImage image(picture.Width(), picture.Height(), QImage::Format_RGB888);
  for (int y = 0; y < picture.Height(); ++y) {
    const std::uint8_t* src = picture.Row(y);
    std::uint8_t* dst = image.scanLine(y);
    for (int x = 0; x < picture.Width(); ++x) {
      dst[3 * x] = src[3 * x + 2];
      dst[3 * x + 1] = src[3 * x + 1];
      dst[3 * x + 2] = src[3 * x];
    }
  }
  clipboard->setImage(image);
  return clipboard->mimeData() && clipboard->mimeData()->hasImage();
}

bool TApU::ClipboardHasText() {
  const QClipboard* clipboard = QGuiApplication::clipboard();
  const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
  return data && data->hasText();
}

bool TApU::MessageWindowShown() const { return window_ && window_->Shown(); }

std::string TApU::MessageWindowCaption() const {
  return window_ ? window_->windowTitle().toStdString() : std::string();
}

std::string TApU::MessageWindowText() const {
  return window_ ? window_->MessageLabel()->text().toStdString() : std::string();
}

void TApU::HideMessageWindow() {
  if (window_) window_->hide();
}

namespace {
TApU* installed_apu = nullptr;
}

TApU& ApU() {
  if (installed_apu) return *installed_apu;
  static TApU default_instance;
  return default_instance;
}

void InstallApU(TApU* instance) { installed_apu = instance; }
