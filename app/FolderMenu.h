#pragma once

#include <functional>
#include <string>
#include <vector>

class PathText;

struct TFolderMenuItem {
  std::string caption;
  std::string path;
};

// The items of the "指定フォルダ(&F)" submenu for the remembered folders: one per folder that
// exists, captioned with the whole path for a drive and with the last component otherwise.
// Folders that no longer exist are dropped from the list.
std::vector<TFolderMenuItem> BuildFolderMenu(std::vector<std::string>& folders,
                                             const PathText& paths,
                                             const std::function<bool(const std::string&)>& exists);
