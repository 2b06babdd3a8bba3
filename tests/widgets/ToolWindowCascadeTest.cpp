#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QWidget>

#include "widgets/ToolWindows.h"

namespace {

const QRect kScreen(0, 0, 1024, 768);
// A tool window's own place: 10 pixels from the right edge, at the top.
const QRect kOwn(1024 - 250 - 10, 0, 250, 300);

}  // namespace

TEST(ToolWindowCascade, EachNewWindowStepsDownAndLeftOfTheLastOpenOne) {
  EXPECT_EQ(CascadePosition(kOwn, QRect(), kScreen), kOwn.topLeft());  // none open
  const QPoint second = CascadePosition(kOwn, kOwn, kScreen);
  EXPECT_EQ(second, kOwn.topLeft() + QPoint(-24, 24));
  const QPoint third = CascadePosition(kOwn, QRect(second, kOwn.size()), kScreen);
  EXPECT_EQ(third, kOwn.topLeft() + QPoint(-48, 48));
  // From wherever the user moved the last one.
  EXPECT_EQ(CascadePosition(kOwn, QRect(100, 200, 300, 100), kScreen), QPoint(76, 224));
}

TEST(ToolWindowCascade, AStepOffTheScreenStartsAgainFromTheOwnPlace) {
  // The bottom: back to the top, still one step left.
  EXPECT_EQ(CascadePosition(kOwn, QRect(600, 450, 250, 300), kScreen), QPoint(576, 0));
  // A window exactly reaching the bottom edge still fits.
  EXPECT_EQ(CascadePosition(kOwn, QRect(600, 444, 250, 300), kScreen), QPoint(576, 468));
  // The left edge: back to the own column.
  EXPECT_EQ(CascadePosition(kOwn, QRect(10, 100, 250, 300), kScreen), QPoint(kOwn.left(), 124));
}

TEST(ToolWindowCascade, OnlyTheFirstOpeningOfAWindowFollowsTheLastOpenOne) {
  QWidget first, second, third;
  for (QWidget* window : {&first, &second, &third}) window->setGeometry(kOwn);
  CascadeToolWindow(&first);
  first.show();
  CascadeToolWindow(&second);  // opened while the first is open
  second.show();
  EXPECT_EQ(second.frameGeometry().topLeft() - first.frameGeometry().topLeft(), QPoint(-24, 24));
  second.hide();  // the last open one is now the first again
  CascadeToolWindow(&third);
  third.show();
  EXPECT_EQ(third.frameGeometry().topLeft() - first.frameGeometry().topLeft(), QPoint(-24, 24));
  // Opening the second again leaves it where it was.
  const QPoint was = second.pos();
  second.show();
  CascadeToolWindow(&second);
  EXPECT_EQ(second.pos(), was);
}
