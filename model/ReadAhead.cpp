#include "model/ReadAhead.h"

#include <algorithm>
#include <filesystem>

std::vector<int> ReadAheadOrder(int current, int count, int direction, int each_way) {
  std::vector<int> order;
  if (current < 0 || current >= count) return order;
  const int first = direction < 0 ? -1 : 1;
  for (const int way : {first, -first})
    for (int step = 1; step <= each_way; ++step) {
      const long long index = current + static_cast<long long>(way) * step;
      if (index < 0 || index >= count) break;
      order.push_back(static_cast<int>(index));
    }
  return order;
}

bool ReadFileStamp(const std::string& path, TFileStamp& stamp) {
  std::error_code ec;
  const std::filesystem::file_status status = std::filesystem::status(path, ec);
  if (ec || !std::filesystem::is_regular_file(status)) return false;
  const std::uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec) return false;
  const auto time = std::filesystem::last_write_time(path, ec);
  if (ec) return false;
  stamp.size = size;
  stamp.time = static_cast<std::int64_t>(time.time_since_epoch().count());
  return true;
}

std::size_t PictureBytes(int width, int height) {
  if (width <= 0 || height <= 0) return 0;
  const std::size_t stride = (3 * static_cast<std::size_t>(width) + 3) & ~std::size_t{3};
  return stride * static_cast<std::size_t>(height);
}

std::size_t TPreparedPicture::Bytes() const {
  std::size_t bytes = picture.ByteSize();
  for (const TPreparedStep& step : steps) bytes += step.result.ByteSize();
  return bytes;
}

void TReadAheadStore::SetBudget(std::size_t bytes) {
  budget_ = bytes;
  // A smaller budget lets go of the pictures that no longer fit, the largest first.
  while (held_ > budget_ && !pictures_.empty()) {
    auto largest = std::max_element(pictures_.begin(), pictures_.end(), [](auto& a, auto& b) {
      return a.second.Bytes() < b.second.Bytes();
    });
    held_ -= largest->second.Bytes();
    pictures_.erase(largest);
  }
}

bool TReadAheadStore::Put(TPreparedPicture picture) {
  const auto old = pictures_.find(picture.id);
  const std::size_t freed = old == pictures_.end() ? 0 : old->second.Bytes();
  const std::size_t bytes = picture.Bytes();
  if (bytes > budget_ || held_ - freed > budget_ - bytes) return false;
  held_ = held_ - freed + bytes;
  const std::string id = picture.id;
  pictures_.insert_or_assign(id, std::move(picture));
  return true;
}

const TPreparedPicture* TReadAheadStore::Find(const std::string& id) const {
  const auto it = pictures_.find(id);
  return it == pictures_.end() ? nullptr : &it->second;
}

bool TReadAheadStore::Take(const std::string& id, const TFileStamp& stamp, bool large_pictures,
                           const std::string& signature, TPreparedPicture& out) {
  const auto it = pictures_.find(id);
  if (it == pictures_.end()) return false;
  TPreparedPicture picture = std::move(it->second);
  held_ -= picture.Bytes();
  pictures_.erase(it);
  if (!(picture.stamp == stamp) || picture.large_pictures != large_pictures) return false;
  if (picture.signature != signature) picture.steps.clear();
  out = std::move(picture);
  return true;
}

bool TReadAheadStore::Release(const std::string& id, TPreparedPicture& out) {
  const auto it = pictures_.find(id);
  if (it == pictures_.end()) return false;
  held_ -= it->second.Bytes();
  out = std::move(it->second);
  pictures_.erase(it);
  return true;
}

void TReadAheadStore::Retain(const std::vector<std::string>& keep, const std::string& signature,
                             bool large_pictures) {
  for (auto it = pictures_.begin(); it != pictures_.end();) {
    TPreparedPicture& picture = it->second;
    if (picture.large_pictures != large_pictures ||
        std::find(keep.begin(), keep.end(), it->first) == keep.end()) {
      held_ -= picture.Bytes();
      it = pictures_.erase(it);
      continue;
    }
    if (picture.signature != signature) DropSteps(picture);
    ++it;
  }
}

void TReadAheadStore::DropSteps(TPreparedPicture& picture) {
  const std::size_t before = picture.Bytes();
  picture.steps.clear();
  held_ -= before - picture.Bytes();
}

void TReadAheadStore::Clear() {
  pictures_.clear();
  held_ = 0;
}
