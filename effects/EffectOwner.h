#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/Bitmap24.h"
#include "engine/CaptureBasics.h"

class QWidget;
class TPictureLoader;

// What an effect dialog needs from the window that opened it. The main window implements it
// now; the thumbnail table and the picture grid implement it too, so a dialog never names the
// window class behind it.
class TEffectOwner {
 public:
  enum class TKind { kMainWindow, kPictureTable, kPictureGrid, kOther };

  virtual ~TEffectOwner() = default;

  virtual TKind Kind() const = 0;
  // The window the dialog stays on top of.
  virtual QWidget* Window() const = 0;

  // Runs an effect on the owner's picture with its worker controller (the rotation type and back
  // colour are the owner's). False when nothing was started.
  virtual bool StartRotation(const std::string& angle_text) = 0;
  virtual bool StartRGBArrange(const std::string& parameter_text) = 0;
  virtual bool StartFreeFilter(const std::string& /*parameter_text*/) { return false; }
  // Makes the owner's shown picture its new reference picture.
  virtual void Renew() = 0;

  // Capture hooks; only the main window offers them (the others do nothing).
  virtual bool ShowingCapData() const { return false; }
  // The owner's capture command (the dialog's automatic-effect box is on meanwhile).
  virtual void Capture() {}
  virtual void AddCapture(TEffectKind /*kind*/, const std::string& /*setting*/) {}
  virtual void ReplaceEffect(TEffectKind /*kind*/, const std::string& /*text*/,
                             bool /*same_kind*/) {}

  // The RGB records the owner carries between dialog sessions; nullptr when it has none.
  virtual std::vector<std::string>* RgbRecords() { return nullptr; }
  // The free filter records likewise.
  virtual std::vector<std::string>* FilterRecords() { return nullptr; }

  // The text dialog's hooks; only the main window offers them.
  // Draws a text effect parameter text onto the owner's picture; left and top receive the drawn
  // block's place. False when nothing was drawn.
  virtual bool DrawTextEffect(const std::string& /*parameter_text*/, int& /*left*/, int& /*top*/) {
    return false;
  }
  // The picture behind the owner's selection: the file selected in its file list, or while a
  // cap data is shown the picture of the selected cap data. Empty when nothing is selected.
  virtual std::string SelectedPicturePath() const { return {}; }
  // The owner's colour dialog over its colour records (parent: the asking dialog); false when
  // cancelled or when the owner has none.
  virtual bool ChooseColor(QWidget* /*parent*/, TColor& /*color*/) { return false; }

  // A close request on a dialog: the owner runs its toggle command for it (show_action names
  // the command, "ShowRotationArrangeForm" or "ShowRGBArrangeForm").
  virtual void ToggleDialog(const std::string& show_action) = 0;

  // What the fusion dialog asks of the main window; the other owners offer none of it.
  enum class TPictureResult { kDone, kBusy, kNoPicture, kNotBitmap, kFailed };
  // A 24-bit copy of the shown picture (a metafile drawn at its natural size); false without one.
  virtual bool CopyShownPicture(TBitmap24& /*out*/) const { return false; }
  // The size of the picture the effects work on; false without one.
  virtual bool PictureSize(int& /*width*/, int& /*height*/) const { return false; }
  // Mixes picture into the shown picture by the fusion text on the UI thread and shows the
  // result centred; left and top receive where picture was placed.
  virtual TPictureResult RunFusion(const TBitmap24& /*picture*/, const std::string& /*text*/,
                                   int& /*left*/, int& /*top*/) {
    return TPictureResult::kFailed;
  }
  // Maps the channel values of the shown picture through the value lists (tone reductions).
  virtual TPictureResult MapPictureTones(bool /*exact*/, const std::vector<std::uint8_t>& /*to*/,
                                         const std::vector<std::uint8_t>& /*from*/) {
    return TPictureResult::kNoPicture;
  }
  // The owner's file list (full paths), the folder its picture open dialog starts in, and the
  // loader with its decoders.
  virtual std::vector<std::string> FileList() const { return {}; }
  virtual std::string PictureFolder() const { return {}; }
  virtual void SetPictureFolder(const std::string& /*folder*/) {}
  virtual const TPictureLoader* Loader() const { return nullptr; }
};
