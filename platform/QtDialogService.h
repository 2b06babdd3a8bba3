#pragma once

#include <QFileDialog>
#include <QStringList>
#include <QWidgetList>

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

// "テキストファイル(*.txt)|*.txt|..." as Qt name filters, one "NAME (PATTERNS)" per pair with
// the patterns blank-separated. Qt appends the patterns to what a list shows; the file dialogs
// are set up to show the names alone (kFileDialogOptions), so that each reads as the program
// wrote it, once.
QStringList QtNameFilters(const std::string& filter);
inline constexpr QFileDialog::Option kFileDialogOptions = QFileDialog::HideNameFilterDetails;

// The window a dialog belongs to and is centred on: the active window (not a menu or tool tip),
// else the modal dialog in front, else the application's main window, else any shown window.
QWidget* DialogParent(QWidget* active, QWidget* modal, const QWidgetList& top_levels);
