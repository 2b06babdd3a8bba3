#include "cli/CliProgress.h"

#include <cstdio>

TCliProgress& CliProgress() {
  static TCliProgress progress;
  return progress;
}

void TCliProgress::Begin(const std::string& label, std::chrono::milliseconds delay, bool wanted) {
  std::lock_guard lock(mutex_);
  wanted_ = wanted;
  shown_ = false;
  label_ = label;
  step_.clear();
  range_ = 0;
  delay_ = delay;
  start_ = last_ = std::chrono::steady_clock::now();
}

void TCliProgress::End() {
  Clear();
  std::lock_guard lock(mutex_);
  wanted_ = false;
}

void TCliProgress::Clear() {
  std::lock_guard lock(mutex_);
  if (shown_) std::fputs("\r\033[K", stderr);
  shown_ = false;
}

void TCliProgress::Count(long long done, long long total) {
  std::lock_guard lock(mutex_);
  Show(std::to_string(done) + "/" + std::to_string(total), done == total);
}

void TCliProgress::Step(const std::string& text) {
  std::lock_guard lock(mutex_);
  step_ = text;
  range_ = 0;
  Show(text, false);
}

void TCliProgress::ProgressRange(int max) {
  std::lock_guard lock(mutex_);
  range_ = max;
}

void TCliProgress::Progress(int position) {
  std::lock_guard lock(mutex_);
  if (range_ <= 0) return;
  const long long percent = 100LL * position / range_;
  Show((step_.empty() ? std::string() : step_ + " ") + std::to_string(percent) + "%", false);
}

void TCliProgress::Show(const std::string& text, bool at_once) {
  if (!wanted_) return;
  const auto now = std::chrono::steady_clock::now();
  if (now - start_ < delay_) return;
  // A terminal redrawn a thousand times a second only slows the work down.
  if (shown_ && !at_once && now - last_ < std::chrono::milliseconds(100)) return;
  last_ = now;
  shown_ = true;
  std::fprintf(stderr, "\r\033[K%s: %s", label_.c_str(), text.c_str());
  std::fflush(stderr);
}
