#include "engine/PictureLoader.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <filesystem>
#include <list>
#include <memory>
#include <mutex>
#include <system_error>

#include "engine/BmpFile.h"
#include "engine/FileAccess.h"
#include "engine/FileNames.h"
#include "engine/ImageBasics.h"
#include "engine/ImageSizeChange.h"
#include "engine/ImageUtils.h"
#include "engine/JpegFile.h"

namespace {

enum class TNative { kNone, kBmp, kJpeg };

struct TFileBytes {
  std::string data;
  const std::uint8_t* Data() const { return reinterpret_cast<const std::uint8_t*>(data.data()); }
  std::size_t Size() const { return data.size(); }
};

// Which native decoder the first bytes call for.
TNative Sniff(const std::string& path, std::string& error, bool& opened) {
  opened = false;
  const int fd = OpenRegularFile(path, error);
  if (fd < 0) return TNative::kNone;
  opened = true;
  std::uint8_t head[3] = {0, 0, 0};
  ssize_t n;
  do n = ::read(fd, head, sizeof head);
  while (n < 0 && errno == EINTR);
  ::close(fd);
  const std::size_t got = n > 0 ? static_cast<std::size_t>(n) : 0;
  if (IsBmpData(head, got)) return TNative::kBmp;
  if (IsJpegData(head, got)) return TNative::kJpeg;
  return TNative::kNone;
}

bool ReadAll(const std::string& path, TFileBytes& bytes, std::string& error) {
  return ReadRegularFile(path, TImU::kMaxPictureFileBytes, bytes.data, error);
}

// Native decoder chosen by the extension when the content did not say.
TNative ByExtension(const std::string& path) {
  const std::string ext = LowerExtension(path);
  if (ext == ".bmp") return TNative::kBmp;
  if (ext == ".jpg" || ext == ".jpeg") return TNative::kJpeg;
  return TNative::kNone;
}

// Size of a picture drawn by a decoder: a vector picture's natural size follows the fit-size
// rule, so that a header claiming a huge picture cannot make a load allocate beyond the working
// size limit; every routine that scales it starts from this size.
bool DecoderSize(const TPictureDecoder& decoder, const std::string& path, int& width, int& height,
                 std::string& error) {
  if (!decoder.ReadSize(path, width, height, error)) return false;
  if (decoder.IsVector() && !TImU::FitSize(width, height) && width == 0) {
    error = "the picture size is not usable";
    return false;
  }
  return true;
}

}  // namespace

const TPictureDecoder* TPictureLoader::DecoderFor(const std::string& path) const {
  const auto it = decoders_.find(LowerExtension(path));
  return it == decoders_.end() ? nullptr : it->second;
}

struct TPictureLoader::TKept {
  struct TEntry {
    std::string path;
    std::uintmax_t size = 0;
    std::filesystem::file_time_type time;
    std::shared_ptr<const TBitmap24> picture;  // null while one thread decodes it
  };
  std::size_t max_bytes = 0;
  std::mutex mutex;
  std::condition_variable decoded;
  std::list<TEntry> entries;  // the most recently used first
  std::size_t decodes = 0;

  // With the lock held: drops the least recently used pictures beyond the bound, keeping the
  // newest one and those still being decoded.
  void Trim() {
    std::size_t bytes = 0;
    for (auto it = entries.begin(); it != entries.end();) {
      const std::size_t size = it->picture ? it->picture->ByteSize() : 0;
      if (it != entries.begin() && it->picture && bytes + size > max_bytes) {
        it = entries.erase(it);
        continue;
      }
      bytes += size;
      ++it;
    }
  }
};

void TPictureLoader::KeepPictures(std::size_t max_bytes) {
  kept_ = std::make_shared<TKept>();
  kept_->max_bytes = max_bytes;
}

std::size_t TPictureLoader::KeptDecodes() const {
  if (!kept_) return 0;
  std::lock_guard<std::mutex> lock(kept_->mutex);
  return kept_->decodes;
}

std::shared_ptr<const TBitmap24> TPictureLoader::Kept(const std::string& path,
                                                      std::string& error) const {
  std::error_code ec;
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  const std::filesystem::file_time_type time =
      ec ? std::filesystem::file_time_type() : std::filesystem::last_write_time(path, ec);
  if (ec) {  // no stamp to know it by next time
    auto picture = std::make_shared<TBitmap24>();
    if (!Decode(path, *picture, error)) return nullptr;
    return picture;
  }
  TKept& kept = *kept_;
  std::unique_lock<std::mutex> lock(kept.mutex);
  for (;;) {
    auto it = std::find_if(kept.entries.begin(), kept.entries.end(),
                           [&](const TKept::TEntry& e) { return e.path == path; });
    if (it == kept.entries.end()) break;
    if (!it->picture) {
      kept.decoded.wait(lock);
      continue;
    }
    if (it->size == size && it->time == time) {
      kept.entries.splice(kept.entries.begin(), kept.entries, it);
      return it->picture;
    }
    kept.entries.erase(it);
    break;
  }
  kept.entries.push_front(TKept::TEntry{path, size, time, nullptr});
  const auto mine = kept.entries.begin();
  lock.unlock();
  auto picture = std::make_shared<TBitmap24>();
  bool ok = false;
  try {
    ok = Decode(path, *picture, error);
  } catch (...) {
    ok = false;
  }
  lock.lock();
  if (ok) {
    mine->picture = picture;
    ++kept.decodes;
  } else {
    kept.entries.erase(mine);
  }
  kept.Trim();
  lock.unlock();
  kept.decoded.notify_all();
  if (!ok) return nullptr;
  return picture;
}

bool TPictureLoader::Load(const std::string& path, TBitmap24& out, std::string& error,
                          const TEngineOwner* owner) const {
  if (!kept_) return Decode(path, out, error, owner);
  const std::shared_ptr<const TBitmap24> kept = Kept(path, error);
  if (!kept) return false;
  out = *kept;
  return true;
}

bool TPictureLoader::LoadRegion(const std::string& path, int left, int top, int right, int bottom,
                                TBitmap24& out, std::string& error) const {
  std::shared_ptr<const TBitmap24> kept;
  TBitmap24 picture;
  const TBitmap24* source = &picture;
  if (kept_)
    source = (kept = Kept(path, error)).get();
  else if (!Decode(path, picture, error))
    source = nullptr;
  if (!source) return false;
  TBitmap24 part;
  if (!CropRegion(*source, part, left, top, right, bottom, true, kWhite)) return false;
  out.Swap(part);
  return true;
}

bool TPictureLoader::Decode(const std::string& path, TBitmap24& out, std::string& error,
                            const TEngineOwner* owner) const {
  bool opened = false;
  TNative native = Sniff(path, error, opened);
  if (!opened) return false;
  const TPictureDecoder* decoder = native == TNative::kNone ? DecoderFor(path) : nullptr;
  if (decoder) {
    int width = 0, height = 0;
    if (!DecoderSize(*decoder, path, width, height, error)) return false;
    if (width <= 0 || height <= 0) {
      error = "the picture size is not usable";
      return false;
    }
    if (!TImU::LoadSizeIsAllowed(width, height)) {
      error = "the picture " + TImU::LoadRefusalText(width, height);
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
  return native == TNative::kBmp ? DecodeBmp(bytes.Data(), bytes.Size(), out, error)
                                 : DecodeJpeg(bytes.Data(), bytes.Size(), out, error, owner);
}

bool TPictureLoader::ReadSize(const std::string& path, int& width, int& height,
                              std::string& error) const {
  // The headers of nearly every JPEG end within its first 64 KiB (an EXIF block is at most that
  // long); only when they do not is the rest read. A BMP's always do.
  constexpr std::size_t kHeadBytes = 64 * 1024;
  TFileBytes head;
  std::size_t file_size = 0;
  if (!ReadRegularFileStart(path, kHeadBytes, head.data, file_size, error)) return false;
  TNative native = IsBmpData(head.Data(), head.Size())    ? TNative::kBmp
                   : IsJpegData(head.Data(), head.Size()) ? TNative::kJpeg
                                                          : TNative::kNone;
  const TPictureDecoder* decoder = native == TNative::kNone ? DecoderFor(path) : nullptr;
  if (decoder) return DecoderSize(*decoder, path, width, height, error);
  if (native == TNative::kNone) native = ByExtension(path);
  if (native == TNative::kNone) {
    error = "unknown picture format";
    return false;
  }
  // Files Load refuses are refused here too.
  if (file_size > TImU::kMaxPictureFileBytes) {
    error = "the file is too large (";
    error.append(std::to_string(file_size)).append(" bytes, at most ");
    error.append(std::to_string(TImU::kMaxPictureFileBytes)).append(")");
    return false;
  }
  if (native == TNative::kBmp)
    return ReadBmpSize(head.Data(), head.Size(), file_size, width, height, error);
  if (ReadJpegSize(head.Data(), head.Size(), file_size, width, height, error)) return true;
  if (head.Size() >= file_size) return false;
  TFileBytes bytes;
  if (!ReadAll(path, bytes, error)) return false;
  return ReadJpegSize(bytes.Data(), bytes.Size(), width, height, error);
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
