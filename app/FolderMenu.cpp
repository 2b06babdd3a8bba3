#include "app/FolderMenu.h"

#include "platform/PathText.h"

std::vector<TFolderMenuItem> BuildFolderMenu(
    std::vector<std::string>& folders, const PathText& paths,
    const std::function<bool(const std::string&)>& exists) {
  std::vector<TFolderMenuItem> items;
  std::vector<std::string> kept;
  for (const std::string& folder : folders) {
    if (!exists(folder)) continue;
    kept.push_back(folder);
    const std::string text = paths.FolderText(folder);
    const bool drive = text.empty() || paths.IsKnownDrive(text);
    items.push_back(
        {drive ? (text.empty() ? std::string(1, paths.Separator()) : text) : paths.FileName(text),
         folder});
  }
  folders.swap(kept);
  return items;
}
