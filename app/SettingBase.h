#pragma once

#include <QObject>

class QAction;
struct TMainParts;
struct TSettingFormData;

// The main window's "基本設定(&B)" command: opens the settings dialog on the window's values and
// puts what the user accepted back into the window.
class TSettingBase : public QObject {
  Q_OBJECT

 public:
  explicit TSettingBase(const TMainParts& parts);

  QAction* Action() const { return action_; }
  void SettingBaseExecute();
  // Writes accepted values into the window and lays out what they change.
  void Apply(const TSettingFormData& data);

 private:
  const TMainParts& parts_;
  QAction* action_;
};
