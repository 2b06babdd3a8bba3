#pragma once

#include <QObject>
#include <QPointer>
#include <string>
#include <vector>

#include "effects/EffectOwner.h"
#include "effects/ImageFreeFilterForm.h"
#include "effects/ImageFusionArrangeForm.h"
#include "effects/ImageRGBArrangeFrm.h"
#include "effects/ImageRotationArrangeForm.h"
#include "effects/TextArrangeForm.h"

struct TMainParts;

// The main window as the owner of its effect dialogs: it keeps one rotation and one RGB dialog,
// opens and closes them through the editing commands' show actions, feeds their automatic steps
// into the job list and their settings into captures, and carries the RGB records.
class TMainEffectDialogs : public QObject, public TEffectOwner {
  Q_OBJECT

 public:
  explicit TMainEffectDialogs(const TMainParts& parts);
  ~TMainEffectDialogs() override;

  TImageRotationArrange* RotationDialog() const { return rotation_; }
  TImageRGBArrangeForm* RGBDialog() const { return rgb_; }
  TImageFreeFilter* FreeFilterDialog() const { return free_filter_; }
  TImageFusionArrangeForm* FusionDialog() const { return fusion_; }
  TTextArrangeForm* TextDialog() const { return text_; }

  // TEffectOwner.
  TKind Kind() const override { return TKind::kMainWindow; }
  QWidget* Window() const override;
  bool StartRotation(const std::string& angle_text) override;
  bool StartRGBArrange(const std::string& parameter_text) override;
  bool StartFreeFilter(const std::string& parameter_text) override;
  void Renew() override;
  bool ShowingCapData() const override;
  void Capture() override;
  void AddCapture(TEffectKind kind, const std::string& setting) override;
  void ReplaceEffect(TEffectKind kind, const std::string& text, bool same_kind) override;
  std::vector<std::string>* RgbRecords() override;
  std::vector<std::string>* FilterRecords() override;
  void ToggleDialog(const std::string& show_action) override;
  // The fusion dialog's needs (EffectDialogHostFusion.cpp).
  bool CopyShownPicture(TBitmap24& out) const override;
  bool PictureSize(int& width, int& height) const override;
  TPictureResult RunFusion(const TBitmap24& picture, const std::string& text, int& left,
                           int& top) override;
  TPictureResult MapPictureTones(bool exact, const std::vector<std::uint8_t>& to,
                                 const std::vector<std::uint8_t>& from) override;
  std::vector<std::string> FileList() const override;
  std::string PictureFolder() const override;
  void SetPictureFolder(const std::string& folder) override;
  const TPictureLoader* Loader() const override;
  bool DrawTextEffect(const std::string& parameter_text, int& left, int& top) override;
  std::string SelectedPicturePath() const override;
  bool ChooseColor(QWidget* parent, TColor& color) override;

 private:
  void RegisterRotation();
  void RegisterRGB();
  void RegisterFreeFilter();
  void RegisterFusion();
  // The "FusionArrange" step of the job list: the fusion on the UI thread; never a worker.
  void FusionStep();
  void RegisterText();

  const TMainParts& parts_;
  QPointer<TImageRotationArrange> rotation_;
  QPointer<TImageRGBArrangeForm> rgb_;
  QPointer<TImageFreeFilter> free_filter_;
  QPointer<TImageFusionArrangeForm> fusion_;
  QPointer<TTextArrangeForm> text_;
};
