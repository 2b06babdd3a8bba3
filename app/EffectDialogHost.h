#pragma once

#include <QObject>
#include <QPointer>
#include <string>
#include <vector>

#include "effects/EffectOwner.h"
#include "effects/ImageRGBArrangeFrm.h"
#include "effects/ImageRotationArrangeForm.h"
#include "effects/TextArrangeForm.h"

class TMainForm;

// The main window as the owner of its effect dialogs: it keeps one rotation and one RGB dialog,
// opens and closes them through the editing commands' show actions, feeds their automatic steps
// into the job list and their settings into captures, and carries the RGB records.
class TMainEffectDialogs : public QObject, public TEffectOwner {
  Q_OBJECT

 public:
  explicit TMainEffectDialogs(TMainForm& form);
  ~TMainEffectDialogs() override;

  TImageRotationArrange* RotationDialog() const { return rotation_; }
  TImageRGBArrangeForm* RGBDialog() const { return rgb_; }
  TTextArrangeForm* TextDialog() const { return text_; }

  // TEffectOwner.
  TKind Kind() const override { return TKind::kMainWindow; }
  QWidget* Window() const override;
  bool StartRotation(const std::string& angle_text) override;
  bool StartRGBArrange(const std::string& parameter_text) override;
  void Renew() override;
  bool ShowingCapData() const override;
  void Capture() override;
  void AddCapture(TEffectKind kind, const std::string& setting) override;
  void ReplaceEffect(TEffectKind kind, const std::string& text, bool same_kind) override;
  std::vector<std::string>* RgbRecords() override;
  void ToggleDialog(const std::string& show_action) override;
  bool DrawTextEffect(const std::string& parameter_text, int& left, int& top) override;
  std::string SelectedPicturePath() const override;
  bool ChooseColor(QWidget* parent, TColor& color) override;

 private:
  void RegisterRotation();
  void RegisterRGB();
  void RegisterText();

  TMainForm& form_;
  QPointer<TImageRotationArrange> rotation_;
  QPointer<TImageRGBArrangeForm> rgb_;
  QPointer<TTextArrangeForm> text_;
};
