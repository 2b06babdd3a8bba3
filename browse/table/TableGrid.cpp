// The picture grid opened from the thumbnail table, and what it reads of the table's page.
#include <QAction>
#include <QComboBox>

#include "browse/grid/PictureGridForm.h"
#include "browse/table/PictureTableForm.h"
#include "model/Settings.h"
#include "platform/AppUtils.h"

std::vector<int> TPictureTableForm::GridCellTags() const {
  std::vector<int> tags;
  if (items_.empty()) return tags;
  tags.reserve(cells_.size());
  for (const TCell& cell : cells_) tags.push_back(cell.item);
  return tags;
}

const TBitmap24* TPictureTableForm::GridShownPicture(int cell) const {
  if (cell < 0 || cell >= CellCount()) return nullptr;
  const TCell& c = cells_[static_cast<std::size_t>(cell)];
  return c.item >= 0 && !c.shown.Empty() ? &c.shown : nullptr;
}

const TBitmap24* TPictureTableForm::GridHeldPicture(int item) const {
  if (item < 0 || static_cast<std::size_t>(item) >= store_.Size()) return nullptr;
  const TThumbNailData& data = store_[static_cast<std::size_t>(item)];
  return data.has_picture ? &data.bitmap : nullptr;
}

int TPictureTableForm::GridColumnIndex() const { return columns_combo_->currentIndex(); }

void TPictureTableForm::ShowThumbNailExecute() {
  QAction* toggle = actions_["ShowThumbNail1"];
  toggle->setChecked(true);
  if (grid_) {
    grid_->ApplyLayout();
    grid_->raise();
    grid_->activateWindow();
    return;
  }
  if (!grid_controller_ || !context_.main_settings) {
    toggle->setChecked(false);
    ApU().ShowMessage("PictureGridFormを起動できませんでした。", TApU::kCaption);
    return;
  }
  TPictureGridForm::TContext context;
  context.settings = &context_.main_settings->picture_grid;
  context.table_settings = &settings_;
  context.main_settings = context_.main_settings;
  context.rgb_records = context_.rgb_records;
  context.filter_records = context_.filter_records;
  context.color_records = context_.color_records;
  context.program_folder = context_.program_folder;
  context.save_name = context_.save_name;
  context.set_save_name = context_.set_save_name;
  grid_ = new TPictureGridForm(std::move(context), *this, *grid_controller_, this);
  connect(grid_, &TPictureGridForm::Closed, this, [this, toggle] {
    toggle->setChecked(false);
    if (grid_) grid_->deleteLater();
  });
  grid_->show();
}
