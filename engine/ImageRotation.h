#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/BandExecutor.h"
#include "engine/Bitmap24.h"
#include "engine/EngineOwner.h"

// Turning pictures: exact quarter turns and rotation by any angle.

// Shown when a quarter turn gets an empty picture.
inline constexpr char kTurnSizeMessage[] = "ピクチャーのサイズが不正です。";
// Shown when the rotation with holes gets an empty picture.
inline constexpr char kRotateWithHolesSizeMessage[] = "ピクチャーのサイズ不正です。";

// The widest vector unit the exact turns may use: the processor's best by default, and never one
// it lacks. Every unit gives the same pixels; tests and benchmarks pick one to check or compare.
enum class TTurnVectorUnit { kPlain = 0, kAvx2 = 1 };

// Exact quarter turns, pixel for pixel. An empty picture gives false with kTurnSizeMessage and
// leaves the target unchanged. The in-place forms replace the bitmap by its turned copy; the
// copying forms write into dst (src itself may be passed as dst), in row bands on executor's
// threads when one is given.
bool TurnClockwise90(TBitmap24& bitmap, std::string* message = nullptr);
bool TurnAnticlockwise90(TBitmap24& bitmap, std::string* message = nullptr);
bool Turn180(TBitmap24& bitmap, std::string* message = nullptr);
bool TurnClockwise90(const TBitmap24& src, TBitmap24& dst, std::string* message = nullptr,
                     TTurnVectorUnit unit = TTurnVectorUnit::kAvx2,
                     TBandExecutor* executor = nullptr);
bool TurnAnticlockwise90(const TBitmap24& src, TBitmap24& dst, std::string* message = nullptr,
                         TTurnVectorUnit unit = TTurnVectorUnit::kAvx2,
                         TBandExecutor* executor = nullptr);
bool Turn180(const TBitmap24& src, TBitmap24& dst, std::string* message = nullptr,
             TTurnVectorUnit unit = TTurnVectorUnit::kAvx2, TBandExecutor* executor = nullptr);

// An angle text read the way the rotation reads it: first as a decimal integer, else as a
// decimal number with fraction. Degrees; positive turns clockwise on screen.
struct TAngle {
  bool is_integer = false;
  int integer = 0;   // valid when is_integer
  double value = 0;  // the angle in either case
};
bool ParseAngleText(std::string_view text, TAngle& angle);

// Rotation modes as the settings hold them.
enum TRotationMode : int {
  kRotationBlend = 0,  // "回転1": inverse mapping, four samples blended with integer weights
  kRotationArea = 1,   // "回転2": inverse mapping, area coverage of a unit footprint
  kRotationHoles = 2,  // "穴空き回転": forward mapping of every source pixel
};

// Size and placement of a general rotation, as the three modes compute them.
struct TRotationGeometry {
  float cos_theta = 1;
  float sin_theta = 0;
  int width = 0;  // of the result
  int height = 0;
  int offset_x = 0;  // minimum of the turned corners' x, rounded half away from zero
  int offset_y = 0;
};
// False when the angle cannot be turned into a finite single-precision angle or the result
// would pass the working size limit.
bool RotationGeometry(double degrees, int width, int height, int mode, TRotationGeometry& geometry);

// The rotation engine. One object serves one job after another; it keeps a scratch bitmap so
// that repeated jobs reuse their buffers.
//
// Modes 0 and 1 need a picture within the working size limit; an integer angle that is a
// multiple of 90 is done by the exact quarter turns. Mode 2 needs a non-empty picture (else
// kRotateWithHolesSizeMessage) and always rotates generally. The general rotation enlarges the
// picture to the turned bounding box and fills what the picture does not cover with back.
// Progress (with an owner that reports it) runs over the result rows (source rows in mode 2);
// cancellation is checked at every 100th of those rows. On failure or cancellation the target
// is unchanged.
class TImageRotation {
 public:
  explicit TImageRotation(TEngineOwner* owner = nullptr) : owner_(owner) {}
  // Threads for row bands, before the owner's; null leaves the choice to the owner.
  void SetExecutor(TBandExecutor* executor) { executor_ = executor; }

  bool Rotate(TBitmap24& bitmap, const std::string& angle_text, TColor back, int mode,
              std::string* message = nullptr);
  // The same into dst; src is not changed (it may be dst itself).
  bool Rotate(const TBitmap24& src, TBitmap24& dst, const std::string& angle_text, TColor back,
              int mode, std::string* message = nullptr);

 private:
  bool RotateBlend(const TBitmap24& src, const TRotationGeometry& g, TColor back);
  bool RotateArea(const TBitmap24& src, const TRotationGeometry& g, TColor back);
  bool RotateHoles(const TBitmap24& src, const TRotationGeometry& g, TColor back);

  TBandExecutor* Executor() const { return ChooseExecutor(executor_, owner_); }

  TEngineOwner* owner_;
  TBandExecutor* executor_ = nullptr;
  TBitmap24 scratch_;
  std::vector<float> row_x_;
  std::vector<float> row_y_;
};
