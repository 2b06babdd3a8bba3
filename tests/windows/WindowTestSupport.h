#pragma once

#include "app/MainFrm.h"
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
