#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/BandExecutor.h"
#include "engine/Bitmap24.h"
#include "engine/EngineOwner.h"
#include "engine/KernelGenerators.h"

// A message the program shows for a filter job, in the order it arose. The engine never shows
// anything itself; the window (or the command line) shows these once the job is over.
struct TFilterMessage {
  std::string caption;
  std::string text;
};

// Convolution of a working bitmap with an integer kernel, and the effects built on it: low pass,
// unsharp masking, embossing and the free kernel filter given as kernel text
// ("KIND,n,w11,...,wnn,grey,level"). One object per job or per controller; it keeps its scratch
// bitmaps between calls so that repeated jobs reuse their memory.
//
// Every routine that changes a bitmap returns true when done. On failure (size refused,
// cancelled, bad input) the bitmap is left exactly as it was.
class TImageFilterSimple {
 public:
  enum TKind { kStandard = 0, kUnsharp = 1, kEmboss = 2, kEmbossAdded = 3 };

  // The largest kernel side accepted. Larger kernels are refused before anything is allocated.
  static constexpr int kMaxKernelSize = kKernelSizeLimit;

  static constexpr const char* kConfirmCaption = "  確認";
  static constexpr const char* kFilterCaption = "  Filter";

  explicit TImageFilterSimple(TEngineOwner* owner = nullptr) : owner_(owner) {}

  // The widest vector unit the convolution may use (the processor's best by default). Every
  // unit gives the same results; tests and benchmarks pick one to check or compare them.
  enum class TVectorUnit { kPlain = 0, kAvx2 = 1, kAvx512 = 2 };
  void SetVectorUnit(TVectorUnit unit) { vector_unit_ = unit; }

  // Threads for row bands, before the owner's; null leaves the choice to the owner. Every band
  // count gives the same pixels.
  void SetExecutor(TBandExecutor* executor) { executor_ = executor; }

  // Kernel state.
  int Kind() const { return kind_; }
  int KernelSize() const { return size_; }
  long long Total() const { return total_; }
  bool Grey() const { return grey_; }
  int Level() const { return level_; }
  int Weight(int row, int column) const { return kernel_[row * size_ + column]; }
  const std::vector<int>& Kernel() const { return kernel_; }
  // Sets an n x n kernel (row by row) and its total; false when the size is out of range or the
  // weight count is not n * n.
  bool SetKernel(int n, const std::vector<int>& weights);
  void SetKind(int kind) { kind_ = kind; }
  void SetGrey(bool grey) { grey_ = grey; }
  void SetLevel(int level) { level_ = level; }

  // Messages gathered since the last ClearMessages (errors with "  確認", kernels shown with
  // "  Filter").
  const std::vector<TFilterMessage>& Messages() const { return messages_; }
  // The text of the last message, or empty.
  std::string LastMessage() const {
    return messages_.empty() ? std::string() : messages_.back().text;
  }
  void ClearMessages() { messages_.clear(); }

  // Reads a kernel text into kind, kernel, total, grey flag and level. On a format error it adds
  // "KernelData Error(N)" and returns false with the object as far as parsing got. A size that
  // does not match the number of weights the text holds is refused before any allocation. With
  // show_kernel the kernel is added as a message (ShowKernel).
  bool ParseKernelText(const std::string& text, bool show_kernel);

  // Builds the low-pass kernel: all ones, by grid distance or by distance from the centre, the
  // centre optionally carrying centre_percent of the total. False (kernel unchanged) when the
  // size exceeds kMaxKernelSize or centre_percent is 100 or more with apply_centre_percent.
  bool MakeKernel(int size, bool apply_centre_percent, bool show_kernel, bool grid_method,
                  bool all_ones, int centre_percent);

  // The text shown for the kernel: every weight as "%4d " and "\r\n" after each row, or a notice
  // for kernels of 22 rows and more.
  std::string ShowKernel() const;

  // Replaces the bitmap by its convolution with the kernel; edge rows and columns are repeated.
  // With a positive total each channel is round(sum / total), else the sum clamped to
  // 0..maximum; offset is added to the sum first. Exact integer arithmetic, ties to even.
  bool Convolve(TBitmap24& bitmap, int offset, int maximum);

  // Every channel becomes (R + G + B) div 3.
  bool MakeGrey(TBitmap24& bitmap);

  bool LowPass(TBitmap24& bitmap, int size, bool apply_centre_percent, int centre_percent,
               bool show_kernel, bool grid_method, bool all_ones);

  // picture + (picture - low pass of picture) * strength / 100.
  bool UnsharpMask(TBitmap24& bitmap, int strength, int size, bool apply_centre_percent,
                   int centre_percent, bool show_kernel, bool grid_method, bool all_ones);

  // Each channel: round(a + (a - b) * strength / 100) clamped to 0..255, a from picture and b
  // from blurred. Sizes must match.
  bool UnsharpCombine(TBitmap24& picture, const TBitmap24& blurred, int strength);

  // Combines picture (a) with second (b) per channel by operation "add", "sub", "ave" or "cal"
  // (case-insensitive); "cal" is round(a * weight_picture + b * weight_second) held to 0..255.
  bool CombineTwo(TBitmap24& picture, const TBitmap24& second, double weight_second,
                  double weight_picture, const std::string& operation);

  // The free kernel filter: parses the text and applies it by kind.
  bool RunKernelText(TBitmap24& bitmap, const std::string& text);

  // Convolves with the level as offset; the maximum is 32 below level 18, else 2 * level - 1.
  bool Emboss(TBitmap24& bitmap);

 private:
  void AddMessage(const char* caption, std::string text);
  void SetStatus(const std::string& text);

  // Each routine reads src and writes a complete dst (src and dst must differ); dst is sized
  // by the routine. False on refusal or cancellation, dst contents then undefined.
  // With unsharp_strength each convolved row b is combined with its source row a as in
  // UnsharpCombine.
  bool ConvolveInto(const TBitmap24& src, TBitmap24& dst, int offset, int maximum,
                    const int* unsharp_strength = nullptr);
  bool GreyInto(const TBitmap24& src, TBitmap24& dst);
  bool UnsharpInto(const TBitmap24& picture, const TBitmap24& blurred, int strength,
                   TBitmap24& dst);
  bool CombineInto(const TBitmap24& picture, const TBitmap24& second, double weight_second,
                   double weight_picture, const std::string& operation, TBitmap24& dst);
  bool EmbossInto(const TBitmap24& src, TBitmap24& dst);
  bool RunParsedKernel(const TBitmap24& src, TBitmap24& dst);

  TBandExecutor* Executor() const { return ChooseExecutor(executor_, owner_); }

  TEngineOwner* owner_;
  TBandExecutor* executor_ = nullptr;
  TVectorUnit vector_unit_ = TVectorUnit::kAvx512;
  int kind_ = kStandard;
  int size_ = 0;
  std::vector<int> kernel_;
  long long total_ = 0;
  bool grey_ = false;
  int level_ = 128;
  std::vector<TFilterMessage> messages_;

  // Working memory kept between calls.
  TBitmap24 scratch_[3];
  struct TBandScratch {
    std::vector<std::uint8_t> padded;
    std::vector<std::uint8_t> row;
    std::vector<std::uint32_t> rows;
    std::vector<std::int32_t> sums;
  };
  std::vector<TBandScratch> bands_;
};
