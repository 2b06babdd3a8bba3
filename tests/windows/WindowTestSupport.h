#pragma once

#include <QObject>
#include <memory>

#include "app/MainFrm.h"
#include "platform/AppUtils.h"
#include "platform/RecordingDialogService.h"
#include "tests/TestSupport.h"

// The main window of a window test: its program folder is dir, the screen 1024 x 768 and the
// only drive the root, whatever the machine has.
inline TMainFormOptions Options(const TTempDir& dir) {
  TMainFormOptions options;
  options.program_folder = dir.Path().string();
  options.screen_width = 1024;
  options.screen_height = 768;
  options.drives = {""};
  return options;
}

// The named child of a window or dialog; a missing one ends the test program with its name.
template <class T>
T* Child(QObject& window, const char* name) {
  T* child = window.findChild<T*>(name);
  if (!child) qFatal("no %s", name);
  return child;
}

// What every window test case starts from: the recording message service installed and empty,
// a fresh program folder, and (once the case makes it) a main window over that folder.
class TWindowTest : public QObject {
 protected:
  void BeginCase() {
    recorder_.Clear();
    InstallApU(&apu_);
    dir_ = std::make_unique<TTempDir>();
  }
  void StartForm() { form_ = std::make_unique<TMainForm>(Options(*dir_)); }
  // The window goes before its folder; the real message service returns.
  void EndCase() {
    form_.reset();
    dir_.reset();
    InstallApU(nullptr);
  }

  TRecordingDialogService recorder_;
  TApU apu_{&recorder_};
  std::unique_ptr<TTempDir> dir_;
  std::unique_ptr<TMainForm> form_;
};
