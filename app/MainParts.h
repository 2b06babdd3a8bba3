#pragma once

#include <functional>

class PathText;
class QMainWindow;
class TCaptureActions;
class TEditCommands;
class TFileBrowser;
class TPictureLoader;
class TPictureJobs;
class TPictureView;
class TRightList;
class TProgramData;
class TSlideShow;
struct TMainSettings;

// The parts of the main window that its commands and dialog hosts work with, handed to them
// instead of the window itself.
struct TMainParts {
  QMainWindow& window;
  TMainSettings& settings;
  TProgramData& data;
  const PathText& paths;
  const TPictureLoader& loader;
  TPictureView& view;
  TPictureJobs& jobs;
  TRightList& right_list;
  TCaptureActions& capture;
  TFileBrowser& files;
  TEditCommands& edit;
  TSlideShow& slide_show;
  // The folder menu is rebuilt after the remembered folders change.
  std::function<void()> rebuild_folder_menu;
};
