// The Qt dialogs behind the message service: the filters the file dialogs show and the window
// the dialogs are centred on. Here rather than with the platform tests, which have no widgets.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDialog>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "platform/QtDialogService.h"

namespace {

// Every file dialog filter of the program, with what its list must show.
TEST(FileDialogFilters, EachNameShowsOnceAsWritten) {
  const struct {
    const char* filter;
    std::vector<QString> shown;
    std::vector<QString> patterns;
  } cases[] = {
      {"ピクチャー(*.bmp)|*.bmp|ピクチャー(*.jpg, *.jpeg)|*.jpg;*.jpeg|ピクチャー(*.png)|*.png",
       {"ピクチャー(*.bmp)", "ピクチャー(*.jpg, *.jpeg)", "ピクチャー(*.png)"},
       {"(*.bmp)", "(*.jpg *.jpeg)", "(*.png)"}},
      {"ピクチャー(*.wmf)|*.wmf|ピクチャー(*.emf)|*.emf",
       {"ピクチャー(*.wmf)", "ピクチャー(*.emf)"},
       {"(*.wmf)", "(*.emf)"}},
      {"ピクチャー(bmp, jpg, jpeg, ico, wmf, emf)|*.bmp;*.jpg;*.jpeg;*.ico;*.wmf;*.emf|"
       "ピクチャー(png, gif, tif, tiff, webp)|*.png;*.gif;*.tif;*.tiff;*.webp",
       {"ピクチャー(bmp, jpg, jpeg, ico, wmf, emf)", "ピクチャー(png, gif, tif, tiff, webp)"},
       {"(*.bmp *.jpg *.jpeg *.ico *.wmf *.emf)", "(*.png *.gif *.tif *.tiff *.webp)"}},
      {"テキストファイル(*.txt)|*.txt", {"テキストファイル(*.txt)"}, {"(*.txt)"}},
  };
  for (const auto& c : cases) {
    const QStringList filters = QtNameFilters(c.filter);
    ASSERT_EQ(filters.size(), static_cast<qsizetype>(c.shown.size())) << c.filter;
    QFileDialog dialog;
    dialog.setOptions(kFileDialogOptions | QFileDialog::DontUseNativeDialog);
    dialog.setNameFilters(filters);
    const auto* list = dialog.findChild<QComboBox*>("fileTypeCombo");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), filters.size());
    for (int i = 0; i < list->count(); ++i) {
      EXPECT_EQ(list->itemText(i), c.shown[static_cast<std::size_t>(i)]);
      // What Qt filters by: the blank-separated patterns in the last parentheses.
      EXPECT_TRUE(filters[i].endsWith(" " + c.patterns[static_cast<std::size_t>(i)]))
          << filters[i].toStdString();
    }
  }
}

TEST(DialogParentTest, TheAskingWindowElseTheMainWindow) {
  QMainWindow main;
  main.show();
  QDialog asking(&main);
  asking.show();
  QWidget inside(&asking);
  QWidget tool;
  tool.show();
  QMenu menu(&main);
  QMainWindow hidden;
  const QWidgetList tops = {&tool, &main};
  EXPECT_EQ(DialogParent(&asking, nullptr, tops), &asking);
  EXPECT_EQ(DialogParent(&inside, nullptr, tops), &asking);
  EXPECT_EQ(DialogParent(&menu, nullptr, tops), &main);
  EXPECT_EQ(DialogParent(nullptr, &asking, tops), &asking);
  EXPECT_EQ(DialogParent(nullptr, nullptr, tops), &main);
  EXPECT_EQ(DialogParent(nullptr, nullptr, {&hidden, &tool}), &tool);
  EXPECT_EQ(DialogParent(nullptr, nullptr, {&hidden}), nullptr);
}

// The real service hands the box the window that asks.
TEST(DialogParentTest, MessageBoxBelongsToTheAskingWindow) {
  QMainWindow main;
  main.show();
  QDialog asking(&main);
  asking.show();
  asking.activateWindow();
  const QDeadlineTimer deadline(5000);
  while (QApplication::activeWindow() != &asking && !deadline.hasExpired())
    QApplication::processEvents(QEventLoop::AllEvents, 50);
  ASSERT_EQ(QApplication::activeWindow(), &asking);
  QWidget* parent = nullptr;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      parent = box->parentWidget();
      box->button(QMessageBox::Ok)->click();
    }
  });
  poll.start(0);
  TQtDialogService service;
  EXPECT_EQ(service.MessageBox("text", "  確認", mb::kOk), mb::kIdOk);
  EXPECT_EQ(parent, &asking);
}

}  // namespace
