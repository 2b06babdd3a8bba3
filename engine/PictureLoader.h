#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <string>

#include "engine/Bitmap24.h"

class TEngineOwner;

// A reader for a kind of picture file the engine cannot decode by itself (icons and metafiles).
// The platform layer implements it; the program hands a loader holding its decoders to every
// engine routine that opens picture files.
class TPictureDecoder {
 public:
  virtual ~TPictureDecoder() = default;
  // The picture's natural size in pixels.
  virtual bool ReadSize(const std::string& path, int& width, int& height,
                        std::string& error) const = 0;
  // Draws the picture stretched over a width x height bitmap. Vector pictures are rendered at
  // that size, never scaled as pixels.
  virtual bool Render(const std::string& path, int width, int height, TBitmap24& out,
                      std::string& error) const = 0;
  // True when the picture is drawn anew at every size (metafiles).
  virtual bool IsVector() const { return false; }
};

// The picture loader: BMP and JPEG natively, other kinds through the decoders registered by
// extension. The loader does not own its decoders.
class TPictureLoader {
 public:
  // ext is lower case with its dot, e.g. ".ico".
  void AddDecoder(const std::string& ext, const TPictureDecoder* decoder) {
    decoders_[ext] = decoder;
  }
  const TPictureDecoder* DecoderFor(const std::string& path) const;

  // Loads a file at its natural size. On failure the bitmap is unchanged and error says why.
  // The natural size of a vector picture beyond the working size limit is its fitted size
  // (TImU::FitSize), here and in ReadSize alike.
  // With an owner a JPEG decoding stops (failure) once the owner's busy flag is cleared.
  bool Load(const std::string& path, TBitmap24& out, std::string& error,
            const TEngineOwner* owner = nullptr) const;
  // From now on keep the last picture Load decoded and hand out copies of it while the same
  // file (same path, size and time) is asked for again, so that work over several regions of
  // one file decodes it once. Copies of the loader made afterwards share what is kept.
  void KeepLastPicture() { KeepPictures(0); }
  // The same for the pictures decoded last, as many as fit in max_bytes of pixels (the last one
  // whatever its size), so that records of one picture share its decoding wherever they stand in
  // a list. A loader that keeps pictures may be used from several threads at once: a picture
  // that one thread is decoding is waited for by the others, not decoded again.
  void KeepPictures(std::size_t max_bytes);
  // How many pictures were decoded into the kept ones so far.
  std::size_t KeptDecodes() const;
  // The part [left, right) x [top, bottom) of the picture, white where it reaches beyond it (as
  // CropRegion with allow_outside). From a kept picture the part is cut straight out, without
  // decoding the file or copying the whole picture. False with an empty error when the part
  // lies outside the picture or is refused by the working size limit.
  bool LoadRegion(const std::string& path, int left, int top, int right, int bottom, TBitmap24& out,
                  std::string& error) const;
  // Natural size without decoding pixels where the format allows it.
  bool ReadSize(const std::string& path, int& width, int& height, std::string& error) const;
  // Draws the picture stretched over width x height: vector kinds are rendered at that size,
  // pixel kinds are loaded and stretched by nearest neighbour.
  bool Render(const std::string& path, int width, int height, TBitmap24& out,
              std::string& error) const;

 private:
  struct TKept;
  bool Decode(const std::string& path, TBitmap24& out, std::string& error,
              const TEngineOwner* owner = nullptr) const;
  // The kept picture, decoded anew when the file is another or has changed; null on failure.
  std::shared_ptr<const TBitmap24> Kept(const std::string& path, std::string& error) const;

  std::map<std::string, const TPictureDecoder*> decoders_;
  std::shared_ptr<TKept> kept_;
};
