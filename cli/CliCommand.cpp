#include "cli/CliCommand.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "engine/BandExecutor.h"
#include "engine/DecimalText.h"
#include "engine/PictureLoader.h"
#include "platform/PictureDecoders.h"
#include "platform/WorkerPool.h"

std::vector<TCliCommand>& CliCommands() {
  static std::vector<TCliCommand> commands;
  return commands;
}

TCliGlobals& CliGlobals() {
  static TCliGlobals globals;
  return globals;
}

void StartCliThreads(int threads) {
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
  if (threads == 1) return;
  holder.pool = std::make_unique<TWorkerPool>(threads);
  SetDefaultBandExecutor(holder.pool.get());
}

TCliAcceptedOptions OptionsOfUsage(const std::string& usage) {
  std::vector<std::string> words;
  for (std::size_t start = 0; start < usage.size();) {
    const std::size_t end = std::min(usage.find(' ', start), usage.size());
    if (end > start) words.push_back(usage.substr(start, end - start));
    start = end + 1;
  }
  TCliAcceptedOptions accepted;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& w = words[i];
    const std::size_t dashes = w.find("--");
    if (dashes == std::string::npos || w.find_first_not_of("[(") != dashes) continue;
    const std::size_t end = w.find_first_of("]|)=", dashes);
    const std::string name = w.substr(dashes + 2, end - std::min(end, dashes + 2));
    if (name.empty()) continue;
    const bool closed = end != std::string::npos && w[end] == ']';
    const bool word_follows =
        i + 1 < words.size() && words[i + 1][0] != '[' && words[i + 1][0] != '-';
    std::vector<std::string>& list = !closed && word_follows ? accepted.values : accepted.flags;
    if (std::find(list.begin(), list.end(), name) == list.end()) list.push_back(name);
  }
  return accepted;
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

namespace {

// The parse's complaint, led by the option it is about.
template <typename TParse>
auto ParseOption(const std::string& name, const std::string& text, TParse parse) {
  try {
    return parse(text);
  } catch (const TCliUsageError& e) {
    throw TCliUsageError{"--" + name + ": " + e.what};
  }
}

}  // namespace

int TCliArgs::Int(const std::string& name, int fallback) const {
  return Has(name) ? ParseOption(name, Text(name), ParseCliInt) : fallback;
}

int TCliArgs::RequiredInt(const std::string& name) const {
  return ParseOption(name, RequiredText(name), ParseCliInt);
}

double TCliArgs::Double(const std::string& name, double fallback) const {
  return Has(name) ? ParseOption(name, Text(name), ParseCliDouble) : fallback;
}

unsigned TCliArgs::Color(const std::string& name, unsigned fallback) const {
  return Has(name) ? ParseOption(name, Text(name), ParseCliColor) : fallback;
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
  double v = 0;  // in the C locale whatever the user's is: 1.5, never 1,5
  if (!ParseDecimalReal(text, v)) throw TCliUsageError{"not a number: " + text};
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
