#pragma once

// What the capture commands need of the main window's file list (the left list): whether it
// holds entries, removing the selected entry and showing the selected entry again.
class TFileListAccess {
 public:
  virtual bool Empty() const = 0;
  // Removes the selected entry and shows the one now there (or the new last one).
  virtual void RemoveSelected() = 0;
  virtual void ShowSelected() = 0;

 protected:
  ~TFileListAccess() = default;
};
