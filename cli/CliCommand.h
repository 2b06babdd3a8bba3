#pragma once

#include <functional>
#include <string>
#include <vector>

class TPictureLoader;

// One velmora-cli command. A command file registers its commands with a static TCliRegistrar.
struct TCliCommand {
  std::string name;
  std::string usage;  // arguments after the command name
  // Returns the exit status: 0 success, 1 the engine reported failure, 2 wrong usage.
  std::function<int(const std::vector<std::string>& args)> run;
};

std::vector<TCliCommand>& CliCommands();

struct TCliRegistrar {
  explicit TCliRegistrar(TCliCommand command) { CliCommands().push_back(std::move(command)); }
};

// Thrown by the argument helpers below for wrong usage; main prints the command's usage line
// and exits with 2.
struct TCliUsageError {
  std::string what;
};

// Thrown when a command cannot start its work (an output folder that is missing or read-only);
// main prints the message and exits with 1.
struct TCliFailure {
  std::string what;
};

// The options a usage text names: "--name WORD" takes a value, a bare "[--name]" is a flag.
// main checks every command's arguments against them, so that a mistyped option is refused
// before any work starts.
struct TCliAcceptedOptions {
  std::vector<std::string> flags;
  std::vector<std::string> values;
};
TCliAcceptedOptions OptionsOfUsage(const std::string& usage);

// Options of velmora-cli itself, valid before or after the command name.
struct TCliGlobals {
  bool quiet = false;           // --quiet, -q: no progress line
  bool large_pictures = false;  // --large-pictures: the raised working size limit
  int threads = 0;              // --threads N: threads of the engine's row bands; 0 all cores
};
TCliGlobals& CliGlobals();

// Makes a worker pool of that many threads (0: one per core; 1: none, the calling thread
// alone) the engine's default executor for the rest of the program.
void StartCliThreads(int threads);

// Argument helpers shared by the command files.
class TCliArgs {
 public:
  // flags: the options of this command that take no value; every other --name takes the next
  // argument as its value (which may start with "-", as in --angle -30).
  TCliArgs(const std::vector<std::string>& args, std::vector<std::string> flags = {});
  // Positional arguments (those not belonging to an option), in order.
  const std::vector<std::string>& Positional() const { return positional_; }
  std::string Positional(std::size_t i) const;
  void ExpectPositional(std::size_t count) const;
  bool Flag(const std::string& name) const;  // a flag was given
  bool Has(const std::string& name) const;   // a value option was given
  std::string Text(const std::string& name, const std::string& fallback = {}) const;
  std::string RequiredText(const std::string& name) const;
  int Int(const std::string& name, int fallback) const;
  int RequiredInt(const std::string& name) const;
  double Double(const std::string& name, double fallback) const;
  // Colour as a decimal integer 0x00BBGGRR, a 0x prefix also accepted.
  unsigned Color(const std::string& name, unsigned fallback) const;

 private:
  std::vector<std::string> positional_;
  std::vector<std::pair<std::string, std::string>> options_;
  std::vector<std::string> known_flags_;
  std::vector<std::string> flags_;
};

int ParseCliInt(const std::string& text);  // throws TCliUsageError
double ParseCliDouble(const std::string& text);
unsigned ParseCliColor(const std::string& text);

// The picture loader of the command line: BMP and JPEG, plus icons and metafiles when the
// platform decoders are registered.
const TPictureLoader& CliPictureLoader();
