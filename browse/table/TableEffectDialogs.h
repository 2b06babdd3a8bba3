#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <string>
#include <vector>

#include "browse/table/ThumbNailRules.h"
#include "effects/EffectOwner.h"
#include "widgets/ActionSupport.h"

class TImageFreeFilter;
class TImageRGBArrangeForm;
class TImageRotationArrange;

// The rotation, RGB and free filter dialogs opened from the thumbnail table or the picture grid:
// the window is their owner and runs their effects through the hooks. From the table an effect
// is applied to every cell of the page and the automatic-effect boxes add their steps to every
// page it fills; the grid applies it to its picture and has no automatic effects.
class TTableEffectDialogs : public QObject, public TEffectOwner {
  Q_OBJECT

 public:
  struct THooks {
    // Applies an effect step ("Rotation", "RGBArrange" or "FreeFilter") with its parameter text
    // to the page; false when nothing was started.
    std::function<bool(const std::string& step, const std::string& parameter)> apply;
    // The pictures shown become the reference pictures.
    std::function<void()> renew;
  };

  // actions: the table's, with ShowRotationArrangeForm1 and the others; the record lists are
  // the main window's, which the RGB and free filter dialogs take over and hand back at close.
  TTableEffectDialogs(QWidget& table, TActionMap& actions, std::vector<std::string>* rgb_records,
                      std::vector<std::string>* filter_records, THooks hooks,
                      TKind kind = TKind::kPictureTable);
  ~TTableEffectDialogs() override;

  // The automatic effects of the open dialogs, for the steps of a page fill.
  void AddAutomaticSteps(TCellStepOptions& options) const;
  // Closes every open dialog as its toggle does (records handed back).
  void CloseAll();

  // TEffectOwner
  TKind Kind() const override { return kind_; }
  QWidget* Window() const override { return &table_; }
  bool StartRotation(const std::string& angle_text) override;
  bool StartRGBArrange(const std::string& parameter_text) override;
  bool StartFreeFilter(const std::string& parameter_text) override;
  void Renew() override;
  std::vector<std::string>* RgbRecords() override { return rgb_records_; }
  std::vector<std::string>* FilterRecords() override { return filter_records_; }
  void ToggleDialog(const std::string& show_action) override;

 private:
  void Toggled(const std::string& show_action, bool open);
  void Close(const std::string& show_action);

  QWidget& table_;
  TActionMap& actions_;
  std::vector<std::string>* rgb_records_;
  std::vector<std::string>* filter_records_;
  THooks hooks_;
  TKind kind_;
  QPointer<TImageRotationArrange> rotation_;
  QPointer<TImageRGBArrangeForm> rgb_;
  QPointer<TImageFreeFilter> free_filter_;
};
