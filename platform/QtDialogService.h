#pragma once

#include <QString>

#include "platform/DialogService.h"

// The real dialogs, parented to the active window.
class TQtDialogService : public TDialogService {
 public:
  int MessageBox(const std::string& text, const std::string& caption, int flags) override;
  void ShowMessage(const std::string& text) override;
  bool InputQuery(const std::string& caption, const std::string& prompt,
                  std::string& value) override;
  bool OpenFiles(const TFileDialogRequest& request, std::vector<std::string>& paths) override;
  bool SaveFile(const TFileDialogRequest& request, std::string& path) override;
  bool ChooseFolder(const std::string& caption, std::string& folder) override;
  bool ChooseFont(TFontSpec& font, TColor& color) override;
  bool ChooseColor(TColor& color) override;
};

// "テキストファイル(*.txt)|*.txt" as a Qt name filter list: "テキストファイル(*.txt) (*.txt)".
QString QtFilterFromPairs(const std::string& filter);
