// velmora-cli: the engine from the command line.
#include <malloc.h>

#include <QGuiApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/CliCommand.h"

namespace {

void PrintUsage(std::FILE* out) {
  std::fprintf(out, "usage: velmora-cli [--threads N] COMMAND ARGS\ncommands:\n");
  for (const TCliCommand& c : CliCommands())
    std::fprintf(out, "  %s %s\n", c.name.c_str(), c.usage.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  // Keep freed picture buffers in the process: fresh pages are expensive to touch.
  mallopt(M_MMAP_THRESHOLD, 1 << 30);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);

  // Fonts and metafile rendering need a GUI application, but never a screen.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  // stderr carries the engine's messages only; Qt's own notices would get in their way.
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
      std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
  });
  QGuiApplication application(argc, argv);

  std::vector<std::string> all(argv + 1, argv + argc);
  std::string threads_error;
  if (!ApplyThreadsOption(all, threads_error)) {
    std::fprintf(stderr, "velmora-cli: %s\n", threads_error.c_str());
    return 2;
  }
  if (all.empty()) {
    PrintUsage(stderr);
    return 2;
  }
  const std::string name = all[0];
  if (name == "--help" || name == "help") {
    PrintUsage(stdout);
    return 0;
  }
  for (const TCliCommand& c : CliCommands()) {
    if (c.name != name) continue;
    std::vector<std::string> args(all.begin() + 1, all.end());
    try {
      return c.run(args);
    } catch (const TCliUsageError& e) {
      std::fprintf(stderr, "velmora-cli %s: %s\nusage: velmora-cli %s %s\n", name.c_str(),
                   e.what.c_str(), c.name.c_str(), c.usage.c_str());
      return 2;
    }
  }
  std::fprintf(stderr, "velmora-cli: unknown command %s\n", name.c_str());
  PrintUsage(stderr);
  return 2;
}
