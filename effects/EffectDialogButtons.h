#pragma once

class QCheckBox;
class TEffectOwner;

// The buttons every effect dialog shares with its owner.

// "更新": the owner's working picture becomes its undo point. A dialog without a known owner
// reports the unexpected call.
void RenewOwnerPicture(TEffectOwner& owner);

// "キャプ": one capture that carries this dialog's effect whatever its automatic box says; a
// shown cap data record takes effects only through "追加".
void CaptureWithEffect(TEffectOwner& owner, QCheckBox& automatic_effect);
