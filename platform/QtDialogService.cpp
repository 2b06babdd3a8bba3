#include "platform/QtDialogService.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>

#include "platform/QtText.h"

namespace {

QWidget* Parent() {
  return DialogParent(QApplication::activeWindow(), QApplication::activeModalWidget(),
                      QApplication::topLevelWidgets());
}

bool IsPassing(const QWidget* w) {
  const Qt::WindowType type = w->windowType();
  return type == Qt::Popup || type == Qt::ToolTip || type == Qt::SplashScreen;
}

QString Start(const TFileDialogRequest& request) {
  return Q(request.folder) + (request.file_name.empty() ? "" : "/" + Q(request.file_name));
}

QMessageBox::Icon IconOf(int flags) {
  switch (flags & mb::kIconMask) {
    case mb::kIconError:
      return QMessageBox::Critical;
    case mb::kIconQuestion:
      return QMessageBox::Question;
    case mb::kIconWarning:
      return QMessageBox::Warning;
    case mb::kIconInformation:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

}  // namespace

QStringList QtNameFilters(const std::string& filter) {
  const QStringList parts = Q(filter).split('|');
  QStringList filters;
  for (int i = 0; i + 1 < parts.size(); i += 2)
    filters << parts[i] + " (" + QString(parts[i + 1]).replace(';', ' ') + ")";
  return filters;
}

QWidget* DialogParent(QWidget* active, QWidget* modal, const QWidgetList& top_levels) {
  if (active && !IsPassing(active)) return active->window();
  if (modal) return modal;
  QWidget* shown = nullptr;
  for (QWidget* w : top_levels) {
    if (!w->isVisible() || IsPassing(w)) continue;
    if (qobject_cast<QMainWindow*>(w)) return w;
    if (!shown) shown = w;
  }
  return shown;
}

int TQtDialogService::MessageBox(const std::string& text, const std::string& caption, int flags) {
  QMessageBox box(IconOf(flags), Q(caption), Q(text), QMessageBox::NoButton, Parent());
  struct Choice {
    QMessageBox::StandardButton button;
    int id;
  };
  std::vector<Choice> choices;
  switch (flags & mb::kButtonMask) {
    case mb::kOkCancel:
      choices = {{QMessageBox::Ok, mb::kIdOk}, {QMessageBox::Cancel, mb::kIdCancel}};
      break;
    case mb::kYesNoCancel:
      choices = {{QMessageBox::Yes, mb::kIdYes},
                 {QMessageBox::No, mb::kIdNo},
                 {QMessageBox::Cancel, mb::kIdCancel}};
      break;
    case mb::kYesNo:
      choices = {{QMessageBox::Yes, mb::kIdYes}, {QMessageBox::No, mb::kIdNo}};
      break;
    default:
      choices = {{QMessageBox::Ok, mb::kIdOk}};
      break;
  }
  for (const Choice& c : choices) box.addButton(c.button);
  const std::size_t default_index = (flags & mb::kDefaultButton2) && choices.size() > 1 ? 1 : 0;
  box.setDefaultButton(choices[default_index].button);
  const int pressed = box.exec();
  for (const Choice& c : choices)
    if (pressed == c.button) return c.id;
  // Closing the box by its title bar counts as cancel where there is one, else as the only answer.
  return (flags & mb::kButtonMask) == mb::kOk      ? mb::kIdOk
         : (flags & mb::kButtonMask) == mb::kYesNo ? mb::kIdNo
                                                   : mb::kIdCancel;
}

void TQtDialogService::ShowMessage(const std::string& text) {
  QMessageBox::information(Parent(), QApplication::applicationName(), Q(text));
}

bool TQtDialogService::InputQuery(const std::string& caption, const std::string& prompt,
                                  std::string& value) {
  bool ok = false;
  const QString answer =
      QInputDialog::getText(Parent(), Q(caption), Q(prompt), QLineEdit::Normal, Q(value), &ok);
  if (ok) value = S(answer);
  return ok;
}

bool TQtDialogService::OpenFiles(const TFileDialogRequest& request,
                                 std::vector<std::string>& paths) {
  const QString filters = QtNameFilters(request.filter).join(";;");
  QStringList chosen;
  if (request.multiple) {
    chosen = QFileDialog::getOpenFileNames(Parent(), Q(request.caption), Start(request), filters,
                                           nullptr, kFileDialogOptions);
  } else {
    const QString one = QFileDialog::getOpenFileName(Parent(), Q(request.caption), Start(request),
                                                     filters, nullptr, kFileDialogOptions);
    if (!one.isEmpty()) chosen << one;
  }
  if (chosen.isEmpty()) return false;
  paths.clear();
  for (const QString& p : chosen) paths.push_back(S(p));
  return true;
}

bool TQtDialogService::SaveFile(const TFileDialogRequest& request, std::string& path) {
  QFileDialog::Options options = kFileDialogOptions;
  if (!request.confirm_overwrite) options |= QFileDialog::DontConfirmOverwrite;
  const QStringList filters = QtNameFilters(request.filter);
  QString selected = filters.value(request.filter_index - 1);
  const QString chosen = QFileDialog::getSaveFileName(Parent(), Q(request.caption), Start(request),
                                                      filters.join(";;"), &selected, options);
  if (chosen.isEmpty()) return false;
  path = S(chosen);
  if (request.chosen_filter)
    *request.chosen_filter = static_cast<int>(filters.indexOf(selected)) + 1;
  return true;
}

bool TQtDialogService::ChooseFolder(const std::string& caption, std::string& folder) {
  const QString chosen = QFileDialog::getExistingDirectory(
      Parent(), Q(caption), Q(folder), QFileDialog::ShowDirsOnly | kFileDialogOptions);
  if (chosen.isEmpty()) return false;
  folder = S(chosen);
  return true;
}

bool TQtDialogService::ChooseFont(TFontSpec& font, TColor& color) {
  QFont initial(Q(font.family), font.size);
  initial.setBold(font.bold);
  initial.setItalic(font.italic);
  initial.setUnderline(font.underline);
  initial.setStrikeOut(font.strike_out);
  bool ok = false;
  const QFont chosen = QFontDialog::getFont(&ok, initial, Parent());
  if (!ok) return false;
  font.family = S(chosen.family());
  font.size = chosen.pointSize() > 0 ? chosen.pointSize() : font.size;
  font.bold = chosen.bold();
  font.italic = chosen.italic();
  font.underline = chosen.underline();
  font.strike_out = chosen.strikeOut();
  (void)color;  // Qt's font dialog has no colour; the colour dialog sets it.
  return true;
}

bool TQtDialogService::ChooseColor(TColor& color) {
  const QColor initial(ColorRed(color), ColorGreen(color), ColorBlue(color));
  const QColor chosen = QColorDialog::getColor(initial, Parent());
  if (!chosen.isValid()) return false;
  color =
      MakeColor(static_cast<std::uint8_t>(chosen.red()), static_cast<std::uint8_t>(chosen.green()),
                static_cast<std::uint8_t>(chosen.blue()));
  return true;
}
