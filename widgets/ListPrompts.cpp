#include "widgets/ListPrompts.h"

#include <string>

#include "engine/DecimalText.h"
#include "platform/AppUtils.h"

bool AskSlideInterval(int& interval) {
  std::string value = std::to_string(interval);
  if (!ApU().Dialogs().InputQuery("  スライドショー", "インターバル", value)) return false;
  int typed = 0;
  if (!ParseDecimalInt(value, typed) || typed <= 0) {
    ApU().ShowMessage("正の整数を入力してください。", TApU::kCaption);
    return false;
  }
  interval = typed;
  return true;
}

void SayRemovedCount(std::size_t removed) {
  ApU().ShowMessage(removed ? std::to_string(removed) + "個のデータを削除しました。"
                            : "削除データはありませんでした。",
                    TApU::kCaption);
}
