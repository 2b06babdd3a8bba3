#include "engine/PictureLoader.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include "engine/BmpFile.h"
#include "engine/FileNames.h"
#include "engine/ImageBasics.h"
#include "engine/ImageSizeChange.h"
#include "engine/ImageUtils.h"
#include "engine/JpegFile.h"

namespace {

// No picture the loader accepts needs more: 32-bit rows at the pixel ceiling plus headers.
constexpr long long kMaxFileBytes = TBitmap24::kMaxPixels * 4 + (1 << 20);

enum class TNative { kNone, kBmp, kJpeg };

struct TFileBytes {
  std::unique_ptr<std::uint8_t[]> data;
  std::size_t size = 0;
};

struct TFileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using TFile = std::unique_ptr<std::FILE, TFileCloser>;

TFile Open(const std::string& path, std::string& error) {
  TFile f(std::fopen(path.c_str(), "rb"));
  if (!f) error = "cannot open the file";
  return f;
}

// Which native decoder the first bytes call for.
TNative Sniff(const std::string& path, std::string& error, bool& opened) {
  opened = false;
  TFile f = Open(path, error);
  if (!f) return TNative::kNone;
  opened = true;
  std::uint8_t head[3] = {0, 0, 0};
  const std::size_t n = std::fread(head, 1, sizeof head, f.get());
  if (IsBmpData(head, n)) return TNative::kBmp;
  if (IsJpegData(head, n)) return TNative::kJpeg;
  return TNative::kNone;
}

bool ReadAll(const std::string& path, TFileBytes& bytes, std::string& error) {
  TFile f = Open(path, error);
  if (!f) return false;
  if (std::fseek(f.get(), 0, SEEK_END) != 0) {
    error = "cannot read the file";
    return false;
  }
  const long long length = std::ftell(f.get());
  if (length < 0 || length > kMaxFileBytes) {
    error = length < 0 ? "cannot read the file" : "the file is too large";
    return false;
  }
  std::rewind(f.get());
  bytes.size = static_cast<std::size_t>(length);
  bytes.data.reset(new std::uint8_t[bytes.size > 0 ? bytes.size : 1]);
  if (std::fread(bytes.data.get(), 1, bytes.size, f.get()) != bytes.size) {
    error = "cannot read the file";
    return false;
  }
  return true;
}

// Native decoder chosen by the extension when the content did not say.
TNative ByExtension(const std::string& path) {
  const std::string ext = LowerExtension(path);
  if (ext == ".bmp") return TNative::kBmp;
  if (ext == ".jpg" || ext == ".jpeg") return TNative::kJpeg;
  return TNative::kNone;
}

}  // namespace

const TPictureDecoder* TPictureLoader::DecoderFor(const std::string& path) const {
  const auto it = decoders_.find(LowerExtension(path));
  return it == decoders_.end() ? nullptr : it->second;
}

struct TPictureLoader::TKept {
  std::string path;
  std::uintmax_t size = 0;
  std::filesystem::file_time_type time;
  TBitmap24 picture;
};

void TPictureLoader::KeepLastPicture() { kept_ = std::make_shared<TKept>(); }

const TBitmap24* TPictureLoader::Kept(const std::string& path, std::string& error) const {
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  const std::filesystem::file_time_type time =
      ec ? std::filesystem::file_time_type() : std::filesystem::last_write_time(path, ec);
  TKept& kept = *kept_;
  if (ec || kept.path != path || kept.size != size || kept.time != time) {
    kept.path.clear();
    if (!Decode(path, kept.picture, error)) return nullptr;
    if (ec) return &kept.picture;  // no stamp to know it by next time
    kept.path = path;
    kept.size = size;
    kept.time = time;
  }
  return &kept.picture;
}

bool TPictureLoader::Load(const std::string& path, TBitmap24& out, std::string& error) const {
  if (!kept_) return Decode(path, out, error);
  const TBitmap24* kept = Kept(path, error);
  if (!kept) return false;
  out = *kept;
  return true;
}

bool TPictureLoader::LoadRegion(const std::string& path, int left, int top, int right, int bottom,
                                TBitmap24& out, std::string& error) const {
  TBitmap24 picture;
  const TBitmap24* source = &picture;
  if (kept_)
    source = Kept(path, error);
  else if (!Decode(path, picture, error))
    source = nullptr;
  if (!source) return false;
  TBitmap24 part;
  if (!CropRegion(*source, part, left, top, right, bottom, true, kWhite)) return false;
  out.Swap(part);
  return true;
}

bool TPictureLoader::Decode(const std::string& path, TBitmap24& out, std::string& error) const {
  bool opened = false;
  TNative native = Sniff(path, error, opened);
  if (!opened) return false;
  const TPictureDecoder* decoder = native == TNative::kNone ? DecoderFor(path) : nullptr;
  if (decoder) {
    int width = 0, height = 0;
    if (!decoder->ReadSize(path, width, height, error)) return false;
    if (width <= 0 || height <= 0 ||
        static_cast<long long>(width) * height > TBitmap24::kMaxPixels) {
      error = "the picture size is not usable";
      return false;
    }
    TBitmap24 picture;
    if (!decoder->Render(path, width, height, picture, error)) return false;
    out.Swap(picture);
    return true;
  }
  if (native == TNative::kNone) native = ByExtension(path);
  if (native == TNative::kNone) {
    error = "unknown picture format";
    return false;
  }
  TFileBytes bytes;
  if (!ReadAll(path, bytes, error)) return false;
  return native == TNative::kBmp ? DecodeBmp(bytes.data.get(), bytes.size, out, error)
                                 : DecodeJpeg(bytes.data.get(), bytes.size, out, error);
}

bool TPictureLoader::ReadSize(const std::string& path, int& width, int& height,
                              std::string& error) const {
  bool opened = false;
  TNative native = Sniff(path, error, opened);
  if (!opened) return false;
  const TPictureDecoder* decoder = native == TNative::kNone ? DecoderFor(path) : nullptr;
  if (decoder) return decoder->ReadSize(path, width, height, error);
  if (native == TNative::kNone) native = ByExtension(path);
  if (native == TNative::kNone) {
    error = "unknown picture format";
    return false;
  }
  TFileBytes bytes;
  if (!ReadAll(path, bytes, error)) return false;
  return native == TNative::kBmp ? ReadBmpSize(bytes.data.get(), bytes.size, width, height, error)
                                 : ReadJpegSize(bytes.data.get(), bytes.size, width, height, error);
}

bool TPictureLoader::Render(const std::string& path, int width, int height, TBitmap24& out,
                            std::string& error) const {
  if (!TImU::SizeIsAllowed(width, height)) {
    error = "the size is beyond the limit";
    return false;
  }
  bool opened = false;
  const TNative native = Sniff(path, error, opened);
  if (!opened) return false;
  const TPictureDecoder* decoder = native == TNative::kNone ? DecoderFor(path) : nullptr;
  if (decoder && decoder->IsVector()) {
    TBitmap24 picture;
    if (!decoder->Render(path, width, height, picture, error)) return false;
    out.Swap(picture);
    return true;
  }
  TBitmap24 picture;
  if (!Load(path, picture, error)) return false;
  if (picture.Width() == width && picture.Height() == height) {
    out.Swap(picture);
    return true;
  }
  TBitmap24 stretched;
  if (!StretchBitmap(picture, stretched, width, height)) {
    error = "the picture cannot be drawn at this size";
    return false;
  }
  out.Swap(stretched);
  return true;
}
