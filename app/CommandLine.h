#pragma once

#include <string>
#include <vector>

// The viewer's command line: `velmora [--new-instance] [PICTURE | FOLDER]`, `--help`, `--version`.
// It is read before the application object exists, so that help and version work without a display.
struct TCommandLine {
  enum class TAction {
    kRun,     // start the viewer (with path when one was given)
    kPrint,   // print text on stdout and exit with 0 (help, version)
    kRefuse,  // print text on stderr and exit with exit_code (wrong usage, missing path)
  };
  TAction action = TAction::kRun;
  // The picture or folder to open, made absolute; empty when none was given.
  std::string path;
  bool path_is_folder = false;
  // --new-instance: a viewer of its own beside the one that owns the program folder; it saves
  // neither lists nor settings.
  bool new_instance = false;
  std::string text;
  int exit_code = 0;
};

// args[0] is the program name. Qt's own options (-platform NAME, -style NAME, -reverse, ...) are
// let through for the application object; "--" ends the options.
TCommandLine ParseCommandLine(const std::vector<std::string>& args);

// "Velmora Version 01.02.02", the about text, made from the project version.
std::string VersionText();
std::string HelpText();
