#pragma once

#include <QWidget>
#include <vector>

#include "engine/GridCompose.h"

// The live preview of the picture grid (MainStringGrid): the cells of the layout with their
// pictures fitted as the composed picture fits them, black grid lines between them, and the
// selected cell marked. The widget is as large as the composed picture would be.
class TGridPreview : public QWidget {
  Q_OBJECT

 public:
  explicit TGridPreview(QWidget* parent = nullptr);

  // The layout and one picture per grid cell (row-major, nullptr for none), copied. A layout
  // beyond the working size limit shows nothing.
  void SetGrid(const TGridLayout& layout, const std::vector<const TBitmap24*>& pictures,
               bool no_grid, bool frame_pictures);
  const TGridLayout& Layout() const { return layout_; }
  int CellCount() const { return static_cast<int>(pictures_.size()); }
  // The selected cell (-1: none).
  int SelectedCell() const { return selected_; }
  void SelectCell(int cell);
  // The cell under a point of the widget, -1 on a line or outside.
  int CellAt(const QPoint& point) const;

 signals:
  void cellSelected(int cell);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  TGridLayout layout_;
  std::vector<TBitmap24> pictures_;  // empty for a cell without a picture
  bool no_grid_ = false;
  bool frame_pictures_ = false;
  bool drawable_ = false;
  int selected_ = -1;
};
