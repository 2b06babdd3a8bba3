#include "model/BatchSave.h"

#include <unordered_map>

#include "engine/BandExecutor.h"
#include "engine/FileNames.h"

TListPictureSource::TListPictureSource(std::vector<TSaveItem> items, TOptions options,
                                       const TPictureLoader& loader, std::size_t cache_bytes)
    : items_(std::move(items)), options_(std::move(options)), loader_(loader), plain_(loader) {
  loader_.KeepPictures(cache_bytes);
  // A file listed once gains nothing from being kept, and keeping it costs a copy.
  std::unordered_map<std::string, int> uses;
  for (const TSaveItem& item : items_) ++uses[item.path];
  shared_.resize(items_.size());
  for (std::size_t i = 0; i < items_.size(); ++i)
    shared_[i] = items_[i].kind == TSaveItemKind::kRecord || uses[items_[i].path] > 1;
}

bool TListPictureSource::SaveItem(std::size_t index, const std::string& destination,
                                  std::string& saved_path, std::string& message) const {
  const TSaveItem& item = items_[index];
  TBitmap24 picture;
  bool ok = false;
  switch (item.kind) {
    case TSaveItemKind::kFile:
      ok = FitFrameAndSave(picture, item.path, destination, options_.frame,
                           shared_[index] ? loader_ : plain_, &message, &saved_path);
      break;
    case TSaveItemKind::kRecord: {
      TCapDataSaveOptions options;
      options.frame = options_.frame;
      options.effects = options_.effects;
      options.fit_region_to_box = options_.fit_region_to_box;
      ok = SaveCapData(picture, item.record, destination, options, loader_, &saved_path, &message);
      break;
    }
    case TSaveItemKind::kUnusable:
      break;
  }
  if (!ok && message.empty() && !FileExists(item.path)) message = "file not found: " + item.path;
  return ok;
}

THeldPictureSource::THeldPictureSource(std::vector<TSaveItem> items, TPictureOf picture_of,
                                       int edge_size, TColor edge_color, int quality)
    : items_(std::move(items)),
      picture_of_(std::move(picture_of)),
      edge_size_(edge_size),
      edge_color_(edge_color),
      quality_(quality) {}

bool THeldPictureSource::SaveItem(std::size_t index, const std::string& destination,
                                  std::string& saved_path, std::string& message) const {
  TBitmap24 picture;
  if (!picture_of_ || !picture_of_(index, picture) || picture.Empty()) {
    message = "no picture is held for " + items_[index].line;
    return false;
  }
  if (edge_size_ > 0 && !AddMargin(picture, edge_size_, edge_color_)) {
    message = "the edge cannot be added";
    return false;
  }
  std::string target = destination;
  bool keep_name = false;
  if (target.empty()) {
    // Over the source only when the bytes written are of its own kind.
    target = items_[index].path;
    const std::string ext = LowerExtension(target);
    keep_name = ext == ".bmp" || ext == ".jpg" || ext == ".jpeg";
  }
  return SavePictureFile(picture, target, keep_name, quality_, &saved_path, &message);
}

TBatchSaveRun::TBatchSaveRun(const TSavePictureSource& source, const TSavePlan& plan)
    : source_(source),
      plan_(plan),
      saved_paths_(plan.destinations.size()),
      messages_(plan.destinations.size()) {
  // Items of one file next to each other, files in the order they first appear.
  const std::size_t count = plan.destinations.size();
  std::unordered_map<std::string, std::size_t> group_of;
  std::vector<std::vector<std::size_t>> groups;
  for (std::size_t i = 0; i < count; ++i) {
    const std::string file = source.SourceOf(i);
    if (file.empty()) {
      groups.push_back({i});
      continue;
    }
    const auto [it, added] = group_of.try_emplace(file, groups.size());
    if (added) groups.emplace_back();
    groups[it->second].push_back(i);
  }
  order_.reserve(count);
  for (const std::vector<std::size_t>& group : groups)
    order_.insert(order_.end(), group.begin(), group.end());
}

void TBatchSaveRun::SaveOne(std::size_t index) {
  const TSaveDestination& destination = plan_.destinations[index];
  if (destination.refused) {
    messages_[index] = "no name can be made for this item";
    return;
  }
  std::string saved, message;
  bool ok = false;
  try {
    ok = source_.SaveItem(index, destination.path, saved, message);
  } catch (...) {
    ok = false;
  }
  if (ok) {
    saved_paths_[index] = std::move(saved);
    saved_.fetch_add(1);
  } else {
    messages_[index] = message.empty() ? "the picture cannot be saved" : std::move(message);
  }
}

void TBatchSaveRun::Run(TBandExecutor* executor) {
  auto lane = [this](int) {
    for (;;) {
      if (!running_.load()) return;
      const std::size_t at = next_.fetch_add(1);
      if (at >= order_.size()) return;
      begun_.fetch_add(1);
      SaveOne(order_[at]);
    }
  };
  const int lanes = executor && source_.Concurrent() ? executor->Bands() : 1;
  if (lanes <= 1 || order_.size() <= 1)
    lane(0);
  else
    executor->Run(std::min<int>(lanes, static_cast<int>(std::min<std::size_t>(order_.size(), 64))),
                  TBandTask(lane));
}
