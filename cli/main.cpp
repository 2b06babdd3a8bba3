// velmora-cli: the engine from the command line.
#include <unistd.h>

#include <QGuiApplication>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliCommand.h"
#include "cli/CliProgress.h"
#include "engine/Bitmap24.h"
#include "engine/ImageUtils.h"

#ifndef VELMORA_VERSION
#define VELMORA_VERSION "0"
#endif

namespace {

// Options of the program itself; "takes_value" ones would consume the next argument.
struct TGlobalOption {
  const char* name;
  bool takes_value;
};
constexpr TGlobalOption kGlobalOptions[] = {
    {"large-pictures", false},
    {"quiet", false},
    {"threads", true},
};

void PrintUsage(std::FILE* out) {
  std::fprintf(out,
               "usage: velmora-cli [--large-pictures] [--quiet] [--threads N] COMMAND ARGS\n"
               "       velmora-cli help [COMMAND] | --help | --version\n"
               "\n"
               "Runs the picture engine of Velmora without the viewer. Pictures are read from\n"
               ".bmp, .jpg/.jpeg, .ico, .wmf, .emf, .png, .gif, .tif/.tiff and .webp files and\n"
               "written as .bmp, .jpg or .png; an output file is written whole or not at all.\n"
               "\n"
               "options (before or after the command name):\n"
               "  --large-pictures  raise the working size limit from %d pixels wide and %s\n"
               "                    pixels to %d wide and %s pixels\n"
               "  --quiet, -q       no progress line on stderr\n"
               "  --threads N       threads for the picture work, 1 to 1024 (default: one per\n"
               "                    core)\n"
               "  --help, -h        this text, or a command's usage after its name\n"
               "  --version         the version\n"
               "\n"
               "exit status: 0 done, 1 the work failed (the reason on stderr), 2 wrong usage\n"
               "\n"
               "commands:\n",
               TImU::kDesignMaxWidth, "4,000,000", TImU::kLargeMaxWidth, "100,000,000");
  for (const TCliCommand& c : CliCommands())
    std::fprintf(out, "  %s %s\n", c.name.c_str(), c.usage.c_str());
}

void PrintCommandUsage(std::FILE* out, const TCliCommand& c) {
  std::fprintf(out, "usage: velmora-cli %s %s\n", c.name.c_str(), c.usage.c_str());
}

const TCliCommand* FindCommand(const std::string& name) {
  for (const TCliCommand& c : CliCommands())
    if (c.name == name) return &c;
  return nullptr;
}

// "--name" or "--name=value" gives name.
std::string OptionName(const std::string& argument) {
  const std::size_t eq = argument.find('=');
  return argument.substr(2, eq == std::string::npos ? std::string::npos : eq - 2);
}

const TGlobalOption* FindGlobal(const std::string& argument) {
  if (argument == "-q") return &kGlobalOptions[1];
  if (argument.size() <= 2 || argument.rfind("--", 0) != 0) return nullptr;
  const std::string name = OptionName(argument);
  for (const TGlobalOption& g : kGlobalOptions)
    if (name == g.name) return &g;
  return nullptr;
}

// Sets the program option args[i] names, taking its value from args[i + 1] when it has one.
// Throws TCliUsageError for a missing or unwanted value.
void ApplyGlobal(const TGlobalOption& option, const std::vector<std::string>& args,
                 std::size_t& i) {
  const std::string name = option.name;
  const std::size_t eq = args[i].find('=');
  if (!option.takes_value && eq != std::string::npos)
    throw TCliUsageError{"--" + name + " takes no value"};
  std::string value;
  if (option.takes_value) {
    if (eq != std::string::npos)
      value = args[i].substr(eq + 1);
    else if (i + 1 < args.size())
      value = args[++i];
    else
      throw TCliUsageError{"--" + name + " needs a value"};
  }
  if (name == "large-pictures") CliGlobals().large_pictures = true;
  if (name == "quiet") CliGlobals().quiet = true;
  if (name == "threads") {
    const int threads = ParseCliInt(value);
    if (threads < 1 || threads > 1024)
      throw TCliUsageError{"--threads must be a whole number from 1 to 1024: " + value};
    CliGlobals().threads = threads;
  }
}

bool IsHelp(const std::string& a) { return a == "-h" || a == "--help"; }

// The command's own arguments, with the program options taken out. Every --option must be one
// the command's usage names; help asks for the usage.
std::vector<std::string> CommandArguments(const TCliCommand& command,
                                          const std::vector<std::string>& args, bool& help) {
  const TCliAcceptedOptions accepted = OptionsOfUsage(command.usage);
  const auto named = [](const std::vector<std::string>& list, const std::string& name) {
    return std::find(list.begin(), list.end(), name) != list.end();
  };
  std::vector<std::string> own;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (IsHelp(a)) {
      help = true;
      continue;
    }
    if (const TGlobalOption* g = FindGlobal(a)) {
      ApplyGlobal(*g, args, i);
      continue;
    }
    own.push_back(a);
    if (a.size() <= 2 || a.rfind("--", 0) != 0) continue;
    const std::string name = OptionName(a);
    if (named(accepted.values, name)) {
      if (a.find('=') == std::string::npos && i + 1 < args.size()) own.push_back(args[++i]);
    } else if (!named(accepted.flags, name)) {
      throw TCliUsageError{"unknown option --" + name};
    }
  }
  return own;
}

int Run(const std::vector<std::string>& args) {
  std::size_t first = 0;
  for (; first < args.size(); ++first) {
    const std::string& a = args[first];
    if (IsHelp(a)) {
      PrintUsage(stdout);
      return 0;
    }
    if (a == "--version") {
      std::printf("velmora-cli %s\n", VELMORA_VERSION);
      return 0;
    }
    const TGlobalOption* g = FindGlobal(a);
    if (!g) break;
    try {
      ApplyGlobal(*g, args, first);
    } catch (const TCliUsageError& e) {
      std::fprintf(stderr, "velmora-cli: %s\n", e.what.c_str());
      return 2;
    }
  }
  if (first == args.size()) {
    PrintUsage(stderr);
    return 2;
  }
  const std::string name = args[first];
  if (name == "help") {
    if (first + 1 == args.size()) {
      PrintUsage(stdout);
      return 0;
    }
    const TCliCommand* c = FindCommand(args[first + 1]);
    if (!c) {
      std::fprintf(stderr, "velmora-cli: unknown command %s\n", args[first + 1].c_str());
      return 2;
    }
    PrintCommandUsage(stdout, *c);
    return 0;
  }
  const TCliCommand* command = FindCommand(name);
  if (!command) {
    std::fprintf(stderr,
                 name.rfind("-", 0) == 0 ? "velmora-cli: unknown option %s\n"
                                         : "velmora-cli: unknown command %s\n",
                 name.c_str());
    std::fprintf(stderr, "run 'velmora-cli --help' for the commands\n");
    return 2;
  }
  try {
    bool help = false;
    const std::vector<std::string> own =
        CommandArguments(*command, {args.begin() + first + 1, args.end()}, help);
    if (help) {
      PrintCommandUsage(stdout, *command);
      return 0;
    }
    TImU::SetLargePictures(CliGlobals().large_pictures);
    StartCliThreads(CliGlobals().threads);
    // A list shows its count from the first record; one picture only once it takes a while.
    const auto delay = std::chrono::milliseconds(name == "save-list" ? 0 : 1000);
    CliProgress().Begin(name, delay, !CliGlobals().quiet && ::isatty(STDERR_FILENO) == 1);
    struct TEnd {
      ~TEnd() { CliProgress().End(); }
    } end;
    return command->run(own);
  } catch (const TCliUsageError& e) {
    std::fprintf(stderr, "velmora-cli %s: %s\n", name.c_str(), e.what.c_str());
    PrintCommandUsage(stderr, *command);
    return 2;
  } catch (const TCliFailure& e) {
    std::fprintf(stderr, "velmora-cli %s: %s\n", name.c_str(), e.what.c_str());
    return 1;
  }
}

}  // namespace

int main(int argc, char** argv) {
  KeepFreedPictureBuffers();

  // Fonts and metafile rendering need a GUI application, but never a screen.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // stderr carries the engine's messages only; Qt's own notices would get in their way.
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
      std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
  });
  QGuiApplication application(argc, argv);
  return Run(std::vector<std::string>(argv + 1, argv + argc));
}
