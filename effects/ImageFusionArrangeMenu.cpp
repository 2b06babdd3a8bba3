// The fusion window's pop-up menu: adding pictures, tone reductions, levels, rates and colours.

#include <QAction>
#include <QActionGroup>
#include <QListWidget>
#include <QMenu>
#include <QScrollBar>
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>

#include "effects/EffectOwner.h"
#include "effects/ImageFusionArrangeForm.h"
#include "model/FileLists.h"
#include "platform/AppUtils.h"
#include "platform/QtText.h"

namespace {

constexpr const char* kPositivePrompt = "999までの正の整数を入力してください。";
constexpr int kGroundSide = 100;

struct TTransItem {
  const char* name;
  const char* caption;
  int keypad;
};
constexpr TTransItem kTransItems[] = {
    {"TransTopLeft1", "上左(&Q)", 7},      {"TransTopCenter1", "上中(W)", 8},
    {"TransTopRight1", "上右(&E)", 9},     {"TransCenterLeft1", "中左(A)", 4},
    {"TransCenterCenter1", "中央(&S)", 5}, {"TransCenterRight1", "中右(D)", 6},
    {"TransBottomLeft1", "下左(&Z)", 1},   {"TransBottomCenter1", "下中(X)", 2},
    {"TransBottomRight1", "下右(&C)", 3},
};

// Restores a caption on every way out of a scope.
class TCaptionScope {
 public:
  TCaptionScope(QWidget& window, const char* caption)
      : window_(window), kept_(window.windowTitle()) {
    window_.setWindowTitle(QString::fromUtf8(caption));
  }
  ~TCaptionScope() { window_.setWindowTitle(kept_); }

 private:
  QWidget& window_;
  QString kept_;
};

}  // namespace

void TImageFusionArrangeForm::BuildMenu() {
  popup_menu_ = new QMenu(this);
  popup_menu_->setObjectName("FusionPopupMenu");
  const auto add = [this](QMenu* menu, const char* name, const char* caption,
                          std::function<void()> handler) {
    QAction* action = menu->addAction(QString::fromUtf8(caption));
    action->setObjectName(name);
    if (handler) connect(action, &QAction::triggered, this, std::move(handler));
    return action;
  };
  QMenu* file = popup_menu_->addMenu("ファイル(&F)");
  add(file, "PictureOpen1", "ピクチャーを開く(&O)", [this] { PictureOpen1Click(); });
  add(file, "LoadFromFileList1", "ファイルリストの取得(&F)", [this] { LoadFromFileList1Click(); });

  QMenu* edit = popup_menu_->addMenu("編集(&E)");
  add(edit, "Delete1", "削除(&D)", nullptr);
  edit->addSeparator();
  add(edit, "GetTwoTone1", "0,1   to 0,255(&F)", [this] { ToneClick(TTone::kTwo); });
  add(edit, "GetThreeTone1", "0,1,2 to 0,128.255(&H)", [this] { ToneClick(TTone::kThree); });
  add(edit, "GetAnyTone1", "", [this] { ToneClick(TTone::kAny); });
  edit->addSeparator();
  add(edit, "ColorBottomUpToX1", "", [this] { ToneClick(TTone::kBottomUp); });
  add(edit, "ColorTopDownToX1", "", [this] { ToneClick(TTone::kTopDown); });
  edit->addSeparator();
  add(edit, "SetAnyToneLavel1", "段階設定(&S)", [this] { SetAnyToneLavel1Click(); });
  add(edit, "SetUpDownLevel1", "変動値設定(&L)", [this] { SetUpDownLevel1Click(); });

  QMenu* setting = popup_menu_->addMenu("設定(&S)");
  add(setting, "SetFusionBackColor1", "背景色の設定(&B)", [this] { SetFusionBackColor1Click(); });
  QAction* over_range = add(setting, "OverRange1", "閾値拡大(&L)", [this] { OverRange1Click(); });
  over_range->setCheckable(true);
  add(setting, "SetRangeSuperMax1", "最大閾値の設定(&R)", [this] { SetRangeSuperMax1Click(); });
  add(setting, "SetFusionBrightRate1", "明度調整値( &I )", [this] { SetFusionBrightRate1Click(); });
  QMenu* trans = setting->addMenu("透過色の位置(&T)");
  trans_group_ = new QActionGroup(this);
  trans_group_->setExclusive(true);
  for (const TTransItem& item : kTransItems) {
    const int keypad = item.keypad;
    QAction* action =
        add(trans, item.name, item.caption, [this, keypad] { TransPositionClick(keypad); });
    action->setCheckable(true);
    action->setData(keypad);
    trans_group_->addAction(action);
  }
  add(setting, "SetGroundCanvasColor1", "台紙色の設定(&G)",
      [this] { SetGroundCanvasColor1Click(); });
}

void TImageFusionArrangeForm::PictureOpen1Click() {
  try {
    TFileDialogRequest request;
    request.filter = "ピクチャー(bmp, jpg, jpeg, ico, wmf)|*.bmp;*.jpg;*.jpeg;*.ico;*.wmf";
    request.folder = owner_.PictureFolder();
    request.multiple = true;
    std::vector<std::string> chosen;
    if (!ApU().Dialogs().OpenFiles(request, chosen) || chosen.empty()) return;
    std::sort(chosen.begin(), chosen.end(), LessIgnoringCase);
    for (const std::string& path : chosen)
      AddEntry(std::filesystem::path(path).filename().string(), path);
    owner_.SetPictureFolder(std::filesystem::path(chosen.front()).parent_path().string());
  } catch (...) {
    ApU().ShowMessage("ファイルオープンに失敗しました", TApU::kCaption);
  }
}

void TImageFusionArrangeForm::LoadFromFileList1Click() {
  for (const std::string& path : owner_.FileList())
    AddEntry(std::filesystem::path(path).filename().string(), path);
}

void TImageFusionArrangeForm::ToneClick(TTone tone) {
  const bool level = tone == TTone::kTwo || tone == TTone::kThree || tone == TTone::kAny;
  try {
    if (owner_.Kind() != TEffectOwner::TKind::kMainWindow) return;
    TToneTable table;
    const char* busy = "";
    switch (tone) {
      case TTone::kTwo:
        table = ToneLevelTable(1);
        busy = "１段階処理中";
        break;
      case TTone::kThree:
        table = ToneLevelTable(2);
        busy = "２段階処理中";
        break;
      case TTone::kAny:
        table = ToneLevelTable(settings_.any_tone_level);
        busy = "指定段階処理中";
        break;
      case TTone::kBottomUp:
        table = BottomUpTable(settings_.up_down_level);
        busy = "ボトムアップ処理中";
        break;
      case TTone::kTopDown:
        table = TopDownTable(settings_.up_down_level);
        busy = "トップダウン処理中";
        break;
    }
    TEffectOwner::TPictureResult result;
    {
      TCaptionScope caption(*this, busy);
      result = owner_.MapPictureTones(table.exact, table.to, table.from);
    }
    switch (result) {
      case TEffectOwner::TPictureResult::kNoPicture:
        ApU().ShowMessage("処理するビットマップがありませんよ。", TApU::kCaption);
        break;
      case TEffectOwner::TPictureResult::kNotBitmap:
        ApU().ShowMessage("ビットマップ以外の処理はできません。", TApU::kCaption);
        break;
      case TEffectOwner::TPictureResult::kFailed:
        ApU().ShowMessage(level ? "GetTwoTone1Click Error(2)" : "ColorBottomUpToX1Click Error(2)",
                          TApU::kCaption);
        break;
      default:
        break;
    }
  } catch (...) {
    ApU().ShowMessage(level ? "GetTwoTone1Click Error(1)" : "ColorBottomUpToX1Click Error(1)",
                      TApU::kCaption);
  }
}

bool TImageFusionArrangeForm::AskNumber(const std::string& caption, const std::string& prompt,
                                        int low, int high, int& value) {
  std::string text = std::to_string(value);
  if (!ApU().Dialogs().InputQuery(caption, prompt, text)) return false;
  if (!ReadRangedInteger(text, low, high, value)) {
    ApU().ShowMessage(prompt, TApU::kCaption);
    return false;
  }
  return true;
}

void TImageFusionArrangeForm::SetRangeSuperMax1Click() {
  int value = settings_.range_super_max;
  if (!AskNumber("  最大閾値の設定", kPositivePrompt, 1, 999, value)) return;
  if (value == settings_.range_super_max) return;
  settings_.range_super_max = value;
  if (Action("OverRange1")->isChecked()) ApplyRanges();
  emit SettingsChanged();
}

void TImageFusionArrangeForm::SetFusionBrightRate1Click() {
  int value = settings_.bright_rate;
  if (!AskNumber("  明度調整値の設定", kPositivePrompt, 1, 999, value)) return;
  settings_.bright_rate = value;
  emit SettingsChanged();
}

void TImageFusionArrangeForm::WriteLevelCaptions() {
  Action("GetAnyTone1")->setText(Q(AnyToneCaption(settings_.any_tone_level)));
  Action("ColorBottomUpToX1")->setText(Q(BottomUpCaption(settings_.up_down_level)));
  Action("ColorTopDownToX1")->setText(Q(TopDownCaption(settings_.up_down_level)));
}

void TImageFusionArrangeForm::SetAnyToneLavel1Click() {
  try {
    int value = settings_.any_tone_level;
    if (!AskNumber("  段階の設定", LevelRangePrompt(4), 4, 255, value)) return;
    settings_.any_tone_level = value;
    WriteLevelCaptions();
    emit SettingsChanged();
  } catch (...) {
    ApU().ShowMessage("SetAnyToneLavel1Click Error", TApU::kCaption);
  }
}

void TImageFusionArrangeForm::SetUpDownLevel1Click() {
  try {
    int value = settings_.up_down_level;
    if (!AskNumber("  変動値の設定", LevelRangePrompt(1), 1, 255, value)) return;
    settings_.up_down_level = value;
    WriteLevelCaptions();
    emit SettingsChanged();
  } catch (...) {
    ApU().ShowMessage("SetAnyToneLavel1Click Error", TApU::kCaption);
  }
}

void TImageFusionArrangeForm::TransPositionClick(int keypad) {
  settings_.trans_position = keypad;
  for (QAction* action : trans_group_->actions())
    action->setChecked(action->data().toInt() == keypad);
  emit SettingsChanged();
}

// ---------------------------------------------------------------------------------------------
// Colours

bool TImageFusionArrangeForm::PickColor(TColor& color) { return owner_.ChooseColor(this, color); }

void TImageFusionArrangeForm::SetFusionBackColor1Click() {
  try {
    TColor color = settings_.back_color;
    if (!PickColor(color)) return;
    settings_.back_color = color;
    emit SettingsChanged();
  } catch (...) {
    ApU().ShowMessage("SetGroundCanvasColor1Click Error", TApU::kCaption);
  }
}

void TImageFusionArrangeForm::SetGroundCanvasColor1Click() {
  try {
    TColor color = settings_.ground_color;
    if (!PickColor(color)) return;
    settings_.ground_color = color;
    name_list_box_->item(kGroundEntry)->setText(Q(GroundEntryText(color)));
    if (GroundSelected()) MakeGroundCanvas(kGroundSide, kGroundSide);
    emit SettingsChanged();
  } catch (...) {
    ApU().ShowMessage("SetGroundCanvasColor1Click Error", TApU::kCaption);
  }
}
