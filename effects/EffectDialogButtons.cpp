#include "effects/EffectDialogButtons.h"

#include <QCheckBox>

#include "effects/EffectOwner.h"
#include "platform/AppUtils.h"

void RenewOwnerPicture(TEffectOwner& owner) {
  if (owner.Kind() == TEffectOwner::TKind::kOther) {
    ApU().ShowMessage("予定外の呼び出しです(ReNewButtonClick)。", TApU::kCaption);
    return;
  }
  owner.Renew();
}

void CaptureWithEffect(TEffectOwner& owner, QCheckBox& automatic_effect) {
  if (owner.ShowingCapData()) {
    ApU().ShowMessage("キャプデータは追加のみ可能です。", TApU::kCaption);
    return;
  }
  const bool was = automatic_effect.isChecked();
  automatic_effect.setChecked(true);
  owner.Capture();
  automatic_effect.setChecked(was);
}
