#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "engine/Bitmap24.h"

// The plain part of the viewer's read-ahead: which neighbours of the shown entry are prepared
// and in what order, and the prepared pictures it holds within a memory budget.

// The entries around current (0-based, in a list of count) to prepare, nearest first: up to
// each_way entries in the direction the user last moved (+1 or -1; 0 counts as +1), then as
// many the other way. Entries beyond the list's ends are left out.
std::vector<int> ReadAheadOrder(int current, int count, int direction, int each_way);

// A file as it was when its picture was prepared; a picture prepared from a file that has
// changed since is never shown.
struct TFileStamp {
  std::uintmax_t size = 0;
  std::int64_t time = 0;  // last write, in the file clock's ticks
  bool operator==(const TFileStamp&) const = default;
};
// False for a missing file or one that is not a regular file.
bool ReadFileStamp(const std::string& path, TFileStamp& stamp);

// Bytes of a working bitmap of width x height (rows padded to 4 bytes); 0 for an empty size.
std::size_t PictureBytes(int width, int height);

// One processing step done in advance, with what the step shows of itself once it has run.
struct TPreparedStep {
  std::string name;       // "Rectify", "Rotation", "RGBArrange" or "FreeFilter"
  std::string parameter;  // the effect's parameter text; empty for the correction
  int target_width = 0;   // the correction's target and method
  int target_height = 0;
  int kind = 0;
  bool hand_over = false;  // false: the step left the picture as it was
  TBitmap24 result;        // the picture after the step (empty when hand_over is false)
  std::string status;      // the last status text the run gave; empty for none
  int progress_max = -1;   // the progress bar's last range and position; -1 when untouched
  int progress = -1;
};

// A neighbour prepared in advance: the picture as loading gives it (a record: cut out) and the
// steps run on it, valid while the file and what the steps depend on stay the same.
struct TPreparedPicture {
  std::string id;  // a file's path, or a record's line
  TFileStamp stamp;
  bool large_pictures = false;  // the size limit the picture was loaded under
  std::string signature;        // what the steps depend on
  TBitmap24 picture;
  std::vector<TPreparedStep> steps;
  std::size_t Bytes() const;
};

// The prepared pictures, held within a budget of bytes.
class TReadAheadStore {
 public:
  void SetBudget(std::size_t bytes);
  std::size_t Budget() const { return budget_; }
  std::size_t Held() const { return held_; }
  std::size_t Count() const { return pictures_.size(); }
  // Whether bytes more fit beside what is held.
  bool Fits(std::size_t bytes) const { return bytes <= budget_ && held_ <= budget_ - bytes; }
  // Keeps a picture in place of one with the same id; false (nothing kept) when it does not fit.
  bool Put(TPreparedPicture picture);
  const TPreparedPicture* Find(const std::string& id) const;
  // Hands over the picture of id when it was prepared from the file as it is now under the same
  // size limit, without its steps when their signature is not the one given. Whatever else is
  // held for id is thrown away either way.
  bool Take(const std::string& id, const TFileStamp& stamp, bool large_pictures,
            const std::string& signature, TPreparedPicture& out);
  // Hands over whatever is held for id, as it is (its steps to be prepared again).
  bool Release(const std::string& id, TPreparedPicture& out);
  // Throws away the pictures whose id is not in keep or that were loaded under another size
  // limit, and the steps of those prepared under another signature.
  void Retain(const std::vector<std::string>& keep, const std::string& signature,
              bool large_pictures);
  void Clear();

 private:
  void DropSteps(TPreparedPicture& picture);

  std::map<std::string, TPreparedPicture> pictures_;
  std::size_t held_ = 0;
  std::size_t budget_ = 0;
};
