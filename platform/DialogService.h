#pragma once

#include <string>
#include <vector>

#include "engine/Bitmap24.h"
#include "engine/FontRasteriser.h"

// Message box flags and answers, with the values the program's messages were written with.
namespace mb {
inline constexpr int kOk = 0x0;
inline constexpr int kOkCancel = 0x1;
inline constexpr int kYesNoCancel = 0x3;
inline constexpr int kYesNo = 0x4;
inline constexpr int kIconError = 0x10;
inline constexpr int kIconQuestion = 0x20;
inline constexpr int kIconWarning = 0x30;
inline constexpr int kIconInformation = 0x40;
inline constexpr int kDefaultButton2 = 0x100;
inline constexpr int kButtonMask = 0xF;
inline constexpr int kIconMask = 0xF0;

inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdYes = 6;
inline constexpr int kIdNo = 7;
}  // namespace mb

// One file dialog's question.
struct TFileDialogRequest {
  std::string caption;
  std::string folder;     // initial folder
  std::string file_name;  // initial name
  // Filters as "テキストファイル(*.txt)|*.txt|すべて(*.*)|*.*": caption and pattern pairs.
  std::string filter;
  bool multiple = false;          // open dialogs only
  bool confirm_overwrite = true;  // save dialogs: false when the caller asks itself
  int filter_index = 1;           // the filter offered first, from 1
  int* chosen_filter = nullptr;   // save dialogs: receives the filter in force when closed
};

// Every message box, input box and standard dialog the program shows goes through one of these.
// The program installs the Qt implementation; tests install a recorder with scripted answers.
class TDialogService {
 public:
  virtual ~TDialogService() = default;
  // A message box with the flags' buttons and icon; returns the mb::kId* of the button pressed.
  virtual int MessageBox(const std::string& text, const std::string& caption, int flags) = 0;
  // A plain message dialog with an OK button, captioned with the program title.
  virtual void ShowMessage(const std::string& text) = 0;
  // A single-line input box; false when cancelled (value unchanged).
  virtual bool InputQuery(const std::string& caption, const std::string& prompt,
                          std::string& value) = 0;
  virtual bool OpenFiles(const TFileDialogRequest& request, std::vector<std::string>& paths) = 0;
  virtual bool SaveFile(const TFileDialogRequest& request, std::string& path) = 0;
  virtual bool ChooseFolder(const std::string& caption, std::string& folder) = 0;
  virtual bool ChooseFont(TFontSpec& font, TColor& color) = 0;
  virtual bool ChooseColor(TColor& color) = 0;
};
