#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QWidget>

#include "app/InitialSet.h"
#include "model/Settings.h"
#include "platform/AppUtils.h"
#include "platform/RecordingDialogService.h"

TEST(TApU, MessagesGoThroughTheServiceWithTheirFlags) {
  TRecordingDialogService recorder;
  TApU apu(&recorder);
  recorder.AnswerMessage(mb::kIdNo);
  EXPECT_EQ(apu.ShowMessage("上書きしますか？", "Save", mb::kYesNo), mb::kIdNo);
  EXPECT_EQ(apu.ShowMessage("plain", "", -1), -1);
  EXPECT_EQ(apu.ShowMessage("yes by default", TApU::kCaption, mb::kYesNoCancel), mb::kIdYes);
  ASSERT_EQ(recorder.Entries().size(), 3u);
  EXPECT_EQ(recorder.Entries()[0].caption, "Save");
  EXPECT_EQ(recorder.Entries()[1].kind, TRecordingDialogService::Kind::ShowMessage);
  EXPECT_EQ(recorder.Entries()[2].caption, "  確認");
}

TEST(TApU, FailingMessageBoxFallsBackToTheMessageWindow) {
  TRecordingDialogService recorder;
  TApU apu(&recorder);
  recorder.FailNextMessage();
  EXPECT_EQ(apu.ShowMessage("データがありません!!", TApU::kCaption, mb::kOk), 0);
  EXPECT_TRUE(apu.MessageWindowShown());
  EXPECT_EQ(apu.MessageWindowCaption(), "  確認 (予定外のエラーです。)");
  EXPECT_EQ(apu.MessageWindowText(), "データがありません!!");
  // Hiding clears the label; the window is reused for the next failure.
  apu.HideMessageWindow();
  EXPECT_FALSE(apu.MessageWindowShown());
  EXPECT_EQ(apu.MessageWindowText(), "");
}

TEST(TApU, MessageWindowOnlyHidesWhenClosed) {
  TRecordingDialogService recorder;
  TApU apu(&recorder);
  recorder.FailNextMessage();
  apu.ShowMessage("x", "c", mb::kOk);
  QWidget* window = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (w->objectName() == "ApU" && w->isVisible()) window = w;
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->minimumSize(), QSize(250, 100));
  window->close();
  EXPECT_FALSE(apu.MessageWindowShown());
  EXPECT_FALSE(window->isVisible());
}

TEST(TApU, NumberMessages) {
  TRecordingDialogService recorder;
  TApU apu(&recorder);
  EXPECT_EQ(apu.SignedFixedWidth(1000, 3), "1000");
  std::string result = "keep";
  apu.FigureReverse("x1", 3, result);
  EXPECT_EQ(result, "keep");
  EXPECT_EQ(recorder.Texts(),
            (std::vector<std::string>{"オーバーフローしました(数が大)。", "StringFigureReverse"}));
}

TEST(TApU, SplitColorTreatsSentinelsAsWhite) {
  std::uint8_t r, g, b;
  TApU::SplitColor(0x00336699, r, g, b);
  EXPECT_EQ(r, 0x99);
  EXPECT_EQ(g, 0x66);
  EXPECT_EQ(b, 0x33);
  TApU::SplitColor(0x1FFFFFFF, r, g, b);  // "no colour"
  EXPECT_EQ(r + g + b, 3 * 255);
  TApU::SplitColor(0xFFFFFF, r, g, b);
  EXPECT_EQ(r, 255);
}

TEST(TApU, ClipboardCopiesThePictureInItsColours) {
  TBitmap24 picture(3, 2);
  picture.Fill(MakeColor(10, 20, 30));
  picture.SetPixel(2, 1, MakeColor(200, 100, 0));
  ASSERT_TRUE(TApU::CopyPictureToClipboard(picture));
  const QImage image = QApplication::clipboard()->image();
  ASSERT_EQ(image.size(), QSize(3, 2));
  EXPECT_EQ(image.pixelColor(0, 0), QColor(10, 20, 30));
  EXPECT_EQ(image.pixelColor(2, 1), QColor(200, 100, 0));
  EXPECT_FALSE(TApU::ClipboardHasText());
  QApplication::clipboard()->setText("text");
  EXPECT_TRUE(TApU::ClipboardHasText());
  EXPECT_FALSE(TApU::CopyPictureToClipboard(TBitmap24()));
}

TEST(FormBounds, ClampsToTheScreen) {
  EXPECT_EQ(ClampFormBounds({0, 0, 3000, 3000}, 1024, 768).width, 1003);
  const TFormBounds big = ClampFormBounds({0, 0, 3000, 3000}, 1024, 768);
  EXPECT_EQ(big.height, 729);
  EXPECT_EQ(big.left, 10);
  EXPECT_EQ(ClampFormBounds({2000, 10, 300, 200}, 1024, 768).left, 824);
  EXPECT_EQ(ClampFormBounds({10, -50, 300, 200}, 1024, 768).top, 0);
  EXPECT_EQ(ClampFormBounds({-500, 10, 300, 200}, 1024, 768).left, -100);
  EXPECT_EQ(ClampFormBounds({10, 900, 300, 200}, 1024, 768).top, 568);
  // Only one side too large: it is cut to the screen, not centred.
  const TFormBounds wide = ClampFormBounds({50, 50, 3000, 300}, 1024, 768);
  EXPECT_EQ(wide.width, 1024);
  EXPECT_EQ(wide.left, 50);
  int left, top;
  PlaceFormPosition(250, 400, 1024, 768, left, top);
  EXPECT_EQ(left, 387);
  EXPECT_EQ(top, 92);
}

TEST(FormBounds, WidgetPlacementUsesThePrimaryScreen) {
  int w, h;
  PrimaryScreenSize(w, h);
  QWidget form;
  IniSet_FormBounds(&form, w + 500, 20, 300, 200);
  EXPECT_EQ(form.geometry(), QRect(w - 200, 20, 300, 200));
  form.resize(200, 100);
  PlaceForm(&form);
  EXPECT_EQ(form.pos(), QPoint((w - 200) / 2, (h - 100) / 4));
}
