#pragma once

#include <string>

// The arithmetic of the main window's picture area: fit scale, relative and real zoom, the
// real-size cap, display size, the nine positions, free positioning and the zoom steps. It knows
// no widget; the picture view feeds it the area and the picture and lays its widgets out from
// the results.
//
// Zoom values always pass through the zoom boxes' texts: R carries five decimals after every
// set-up, as a value read back from "%5.5f" does.
class TViewerGeometry {
 public:
  // How the place of the picture is decided when the picture is set up.
  enum class TPlacing {
    kPosition,  // a new picture or the end of processing: the position rule (or the free clamp)
    kKeepPlace  // the area changed size: the picture keeps its place, rescaled by the zoom change
  };
  enum class TSetUpResult { kOk, kNoWidth, kNoFit };

  // Picture area (AW x AH) and the picture's size in pixels.
  void SetArea(int width, int height);
  void SetPicture(int width, int height);
  int AreaWidth() const { return area_width_; }
  int AreaHeight() const { return area_height_; }
  int PictureWidth() const { return picture_width_; }
  int PictureHeight() const { return picture_height_; }

  // Settings the window keeps in its actions.
  int position = 5;              // 1..9, laid out like a numeric keypad
  bool free_position = false;    // PicturePosFree
  bool real_mode = false;        // PictureSizeReal
  double real_control = 1.0;     // RC
  bool real_control_in = false;  // ZoomControlCheckBox
  bool no_space = false;         // PictureSizeNoSpace

  float Fit() const { return fit_; }
  bool WidthLimited() const { return width_limited_; }
  double Real() const { return real_; }
  double OldReal() const { return old_real_; }
  double Relative() const { return relative_; }
  int DisplayWidth() const { return display_width_; }
  int DisplayHeight() const { return display_height_; }
  int Left() const { return left_; }
  int Top() const { return top_; }

  // The set-up step: fit scale, zoom (with the real-size cap unless processed, which stands for
  // a picture that already is the result of processing or a rendered metafile), display size and
  // place. A picture of width 0 or an area the picture cannot fit leaves everything as it was.
  TSetUpResult SetUp(TPlacing placing, bool processed);

  // A zoom change to x (relative, or real in real-size mode). Returns true when x was below
  // 0.0001 (the window says so; the change still happens).
  bool ZoomChange(double x);
  // The zoom the steps work on: R in real-size mode, Z otherwise.
  double StepZoom() const { return real_mode ? real_ : relative_; }
  // Width base and height base: the picture's width (height) fills the area.
  void WidthBase();
  void HeightBase();
  // No-space mode: fills the area in the direction the fit left a margin.
  void FillWithoutSpace();

  // Places the picture by the position rule, or clamps it in free mode.
  void Place();
  // Moves the picture (a drag), clamped so that 10 pixels stay inside the area.
  void MoveTo(int left, int top);
  // The place of a new picture during a slide show in "最大限表示" with free positioning, from
  // the remembered place: centred (rounded) where the picture is not larger than the area;
  // where it is larger, no gap at the far edge and no positive offset.
  void PlaceForSlide(int left, int top);
  // The place after the window restores an earlier state (undo).
  void RestorePlace(int left, int top);
  // A scale and place decided elsewhere: R, Z = R / F and the display size.
  void SetPlacement(double real, int left, int top);
  // A record's frame: R and the place, with the user's Z kept, since every record's scale is its
  // own fit times Z (taking Z = R / F of the whole picture would compound from record to record).
  void SetFramePlacement(double real, int left, int top);
  // Forces the values of a restored view (the zoom boxes' zoom, the last place).
  void SetRelative(double z) { relative_ = z; }

  // The zoom step from ZoomRate: false (and zoom_rate reset to 50, step 0.5) when outside 1..100.
  static bool ZoomStep(int& zoom_rate, double& step);
  static double ZoomInValue(double z, double step);
  static double ZoomOutValue(double z, double step);
  // The next position of the rotating position: 7 8 9 4 5 6 1 2 3 and back to 7.
  static int NextPosition(int position);

  // Texts of the zoom boxes: "%5.5f", or "%5.4f" for 10 or more after a zoom change.
  static std::string ZoomText(double value, bool after_change = false);
  // A value as it comes back from its box text.
  static double ThroughZoomText(double value, bool after_change = false);
  // A typed zoom; false when the text is not a number.
  static bool ParseZoom(const std::string& text, double& value);

 private:
  void UpdateDisplaySize();
  void Clamp();

  int area_width_ = 0;
  int area_height_ = 0;
  int picture_width_ = 0;
  int picture_height_ = 0;
  float fit_ = 0;
  bool width_limited_ = false;
  double real_ = 1.0;
  double old_real_ = 1.0;
  double relative_ = 1.0;
  int display_width_ = 0;
  int display_height_ = 0;
  int left_ = 0;
  int top_ = 0;
};

// The mouse wheel turns in notches of 120 (eighths of a degree); touchpads send parts of one,
// which add up. Positive is away from the user.
class TWheelNotches {
 public:
  // The whole notches that delta completes.
  int Add(int delta);

 private:
  int rest_ = 0;
};
