#include "cli/CliCommand.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "engine/BandExecutor.h"
#include "engine/PictureLoader.h"
#include "platform/PictureDecoders.h"
#include "platform/WorkerPool.h"

std::vector<TCliCommand>& CliCommands() {
  static std::vector<TCliCommand> commands;
  return commands;
}

bool ApplyThreadsOption(std::vector<std::string>& args, std::string& error) {
  int threads = 0;  // all cores
  for (std::size_t i = 0; i < args.size();) {
    const std::string& a = args[i];
    if (a != "--threads" && a.rfind("--threads=", 0) != 0) {
      ++i;
      continue;
    }
    std::string value;
    std::size_t taken = 1;
    if (a == "--threads") {
      if (i + 1 >= args.size()) {
        error = "--threads needs a number";
        return false;
      }
      value = args[i + 1];
      taken = 2;
    } else {
      value = a.substr(10);
    }
    char* end = nullptr;
    errno = 0;
    const long n = std::strtol(value.c_str(), &end, 10);
    if (value.empty() || *end != '\0' || errno != 0 || n < 1 || n > 1024) {
      error = "--threads must be a whole number from 1 to 1024: " + value;
      return false;
    }
    threads = static_cast<int>(n);
    args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
               args.begin() + static_cast<std::ptrdiff_t>(i + taken));
  }
  // Cleared before the pool stops, at the program's end.
  struct TPoolHolder {
    std::unique_ptr<TWorkerPool> pool;
    ~TPoolHolder() {
      SetDefaultBandExecutor(nullptr);
      pool.reset();
    }
  };
  static TPoolHolder holder;
  SetDefaultBandExecutor(nullptr);
  holder.pool.reset();
  if (threads != 1) {
    holder.pool = std::make_unique<TWorkerPool>(threads);
    SetDefaultBandExecutor(holder.pool.get());
  }
  return true;
}

const TPictureLoader& CliPictureLoader() {
  static const TPictureLoader loader = [] {
    TPictureLoader l;
    AddPlatformDecoders(l);
    return l;
  }();
  return loader;
}

TCliArgs::TCliArgs(const std::vector<std::string>& args, std::vector<std::string> flags)
    : known_flags_(std::move(flags)) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.size() <= 2 || a.rfind("--", 0) != 0) {
      positional_.push_back(a);
      continue;
    }
    std::string name = a.substr(2);
    const std::size_t eq = name.find('=');
    if (eq != std::string::npos) {
      options_.emplace_back(name.substr(0, eq), name.substr(eq + 1));
    } else if (std::find(known_flags_.begin(), known_flags_.end(), name) != known_flags_.end()) {
      flags_.push_back(name);
    } else if (i + 1 < args.size()) {
      options_.emplace_back(name, args[++i]);
    } else {
      throw TCliUsageError{"--" + name + " needs a value"};
    }
  }
  for (const auto& [name, value] : options_)
    if (std::find(known_flags_.begin(), known_flags_.end(), name) != known_flags_.end())
      throw TCliUsageError{"--" + name + " takes no value"};
}

std::string TCliArgs::Positional(std::size_t i) const {
  return i < positional_.size() ? positional_[i] : std::string();
}

void TCliArgs::ExpectPositional(std::size_t count) const {
  if (positional_.size() != count)
    throw TCliUsageError{"expected " + std::to_string(count) + " arguments"};
}

bool TCliArgs::Flag(const std::string& name) const {
  return std::find(flags_.begin(), flags_.end(), name) != flags_.end();
}

bool TCliArgs::Has(const std::string& name) const {
  return std::any_of(options_.begin(), options_.end(),
                     [&](const auto& o) { return o.first == name; });
}

std::string TCliArgs::Text(const std::string& name, const std::string& fallback) const {
  // The last occurrence wins, as with most command-line tools.
  for (auto it = options_.rbegin(); it != options_.rend(); ++it)
    if (it->first == name) return it->second;
  return fallback;
}

std::string TCliArgs::RequiredText(const std::string& name) const {
  if (!Has(name)) throw TCliUsageError{"--" + name + " is required"};
  return Text(name);
}

int TCliArgs::Int(const std::string& name, int fallback) const {
  return Has(name) ? ParseCliInt(Text(name)) : fallback;
}

int TCliArgs::RequiredInt(const std::string& name) const { return ParseCliInt(RequiredText(name)); }

double TCliArgs::Double(const std::string& name, double fallback) const {
  return Has(name) ? ParseCliDouble(Text(name)) : fallback;
}

unsigned TCliArgs::Color(const std::string& name, unsigned fallback) const {
  return Has(name) ? ParseCliColor(Text(name)) : fallback;
}

int ParseCliInt(const std::string& text) {
  errno = 0;
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || errno == ERANGE || v < -2147483647L - 1 || v > 2147483647L)
    throw TCliUsageError{"not an integer: " + text};
  return static_cast<int>(v);
}

double ParseCliDouble(const std::string& text) {
  errno = 0;
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || errno == ERANGE || !std::isfinite(v))
    throw TCliUsageError{"not a number: " + text};
  return v;
}

unsigned ParseCliColor(const std::string& text) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  errno = 0;
  char* end = nullptr;
  const unsigned long long v = std::strtoull(text.c_str(), &end, hex ? 16 : 10);
  if (text.empty() || text[0] == '-' || *end != '\0' || errno == ERANGE || v > 0xFFFFFFFFull)
    throw TCliUsageError{"not a colour: " + text};
  return static_cast<unsigned>(v);
}
