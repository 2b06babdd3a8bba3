#include "browse/grid/GridPreview.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

TGridPreview::TGridPreview(QWidget* parent) : QWidget(parent) {
  setObjectName("MainStringGrid");
  setFocusPolicy(Qt::StrongFocus);
}

void TGridPreview::SetGrid(const TGridLayout& layout, const std::vector<const TBitmap24*>& pictures,
                           bool no_grid, bool frame_pictures) {
  layout_ = layout;
  pictures_.clear();
  pictures_.reserve(pictures.size());
  for (const TBitmap24* picture : pictures) pictures_.push_back(picture ? *picture : TBitmap24());
  no_grid_ = no_grid;
  frame_pictures_ = frame_pictures;
  drawable_ = GridCanvasAllowed(layout_);
  if (selected_ >= CellCount()) selected_ = -1;
  if (drawable_) {
    setFixedSize(static_cast<int>(GridCanvasWidth(layout_)),
                 static_cast<int>(GridCanvasHeight(layout_)));
  } else {
    setFixedSize(0, 0);
  }
  update();
}

void TGridPreview::SelectCell(int cell) {
  selected_ = cell >= 0 && cell < CellCount() ? cell : -1;
  update();
}

int TGridPreview::CellAt(const QPoint& point) const {
  if (!drawable_) return -1;
  for (int k = 0; k < CellCount(); ++k) {
    const TGridRect cell = GridCellRect(layout_, k % layout_.columns, k / layout_.columns);
    if (QRect(cell.left, cell.top, cell.width, cell.height).contains(point)) return k;
  }
  return -1;
}

void TGridPreview::paintEvent(QPaintEvent* event) {
  if (!drawable_) return;
  QPainter painter(this);
  painter.fillRect(event->rect(), Qt::white);
  if (!no_grid_) {
    for (const TGridRect& line : GridLineRects(layout_))
      painter.fillRect(line.left, line.top, line.width, line.height, Qt::black);
  }
  for (int k = 0; k < CellCount(); ++k) {
    const TGridRect cell = GridCellRect(layout_, k % layout_.columns, k / layout_.columns);
    const QRect cell_rect(cell.left, cell.top, cell.width, cell.height);
    if (!event->rect().intersects(cell_rect.adjusted(-1, -1, 1, 1))) continue;
    const TBitmap24* picture = &pictures_[static_cast<std::size_t>(k)];
    if (!picture->Empty()) {
      const TGridPlacement place =
          PlaceInGridCell(cell, picture->Width(), picture->Height(), TGridFitRounding::kTruncate);
      if (place.ok && place.rect.width > 0 && place.rect.height > 0) {
        const QImage image(picture->Row(0), picture->Width(), picture->Height(),
                           static_cast<qsizetype>(picture->Stride()), QImage::Format_BGR888);
        const QRect target(place.rect.left, place.rect.top, place.rect.width, place.rect.height);
        painter.drawImage(target, image);
        if (frame_pictures_) {
          painter.setPen(Qt::black);
          painter.drawRect(target.adjusted(-1, -1, 0, 0));
        }
      }
    }
    if (k == selected_) {
      painter.setPen(QPen(palette().highlight().color(), 2));
      painter.drawRect(cell_rect.adjusted(1, 1, -1, -1));
    }
  }
}

void TGridPreview::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    const int cell = CellAt(event->position().toPoint());
    if (cell >= 0) {
      SelectCell(cell);
      emit cellSelected(cell);
    }
  }
  QWidget::mousePressEvent(event);
}
