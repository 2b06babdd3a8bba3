#include "app/CommandLine.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#ifndef VELMORA_VERSION
#define VELMORA_VERSION "0.0.0"
#endif

namespace {

// Qt's own options that take a value, and those that do not.
constexpr const char* kQtValueOptions[] = {"-platform",      "-platformpluginpath",
                                           "-platformtheme", "-plugin",
                                           "-style",         "-stylesheet",
                                           "-session",       "-display",
                                           "-geometry",      "-qwindowgeometry",
                                           "-qwindowicon",   "-qwindowtitle",
                                           "-name",          "-title",
                                           "-qmljsdebugger"};
constexpr const char* kQtFlags[] = {"-reverse", "-widgetcount", "-nograb", "-dograb", "-sync"};

bool Listed(const auto& list, const std::string& option) {
  return std::any_of(std::begin(list), std::end(list), [&](const char* o) { return option == o; });
}

TCommandLine Refuse(std::string text, int exit_code) {
  TCommandLine result;
  result.action = TCommandLine::TAction::kRefuse;
  result.text = "velmora: " + text + "\n";
  if (exit_code == 2)
    result.text += "usage: velmora [PICTURE | FOLDER]; velmora --help tells more\n";
  result.exit_code = exit_code;
  return result;
}

TCommandLine Print(std::string text) {
  TCommandLine result;
  result.action = TCommandLine::TAction::kPrint;
  result.text = std::move(text);
  return result;
}

}  // namespace

std::string VersionText() {
  int major = 0, minor = 0, patch = 0;
  std::sscanf(VELMORA_VERSION, "%d.%d.%d", &major, &minor, &patch);
  char text[64];
  std::snprintf(text, sizeof text, "Velmora Version %02d.%02d.%02d", major, minor, patch);
  return text;
}

std::string HelpText() {
  return "usage: velmora [PICTURE | FOLDER]\n"
         "       velmora --new-instance [PICTURE | FOLDER]\n"
         "       velmora --help | --version\n"
         "\n"
         "Velmora shows pictures and cuts regions out of them. Given a folder it lists the\n"
         "pictures in it; given a picture it opens its folder and shows it. Without either it\n"
         "opens the folder it showed last.\n"
         "\n"
         "Reads  .bmp, .jpg/.jpeg, .ico, .wmf and .emf pictures, and data files (.txt) that list\n"
         "       pictures or cut records (PATH/X/Y/W/H with their effects).\n"
         "Writes pictures as .bmp, .jpg or .png, and data files in Shift-JIS with CR LF\n"
         "       line ends (UTF-8 with a byte-order mark when a name needs it).\n"
         "Settings and lists: Velmora.ini, FileList.dat, CapList.dat, Folders.dat,\n"
         "       RGBRecords.dat, FilterRecords.dat and ColorRecords.dat in the program's folder\n"
         "       when it can be written, otherwise in ~/.config/Velmora ($XDG_CONFIG_HOME).\n"
         "\n"
         "One viewer writes these files. Started again on the same program folder, velmora\n"
         "       hands its picture or folder to the viewer already open there and exits.\n"
         "\n"
         "options:\n"
         "  --new-instance  open a viewer of its own that saves neither lists nor settings\n"
         "  -h, --help      this text\n"
         "  --version       the version\n"
         "  Qt's options (-platform NAME, -style NAME, -reverse, ...) are passed on.\n"
         "\n"
         "velmora-cli runs the same picture engine from the command line (velmora-cli --help).\n";
}

TCommandLine ParseCommandLine(const std::vector<std::string>& args) {
  TCommandLine result;
  std::vector<std::string> paths;
  bool options_end = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (options_end || a.empty() || a[0] != '-' || a == "-") {
      paths.push_back(a);
    } else if (a == "--") {
      options_end = true;
    } else if (a == "-h" || a == "--help") {
      return Print(HelpText());
    } else if (a == "--version") {
      return Print(VersionText() + "\n");
    } else if (a == "--new-instance") {
      result.new_instance = true;
    } else if (Listed(kQtValueOptions, a)) {
      if (++i == args.size()) return Refuse(a + " needs a value", 2);
    } else if (!Listed(kQtFlags, a)) {
      return Refuse("unknown option " + a, 2);
    }
  }
  if (paths.size() > 1)
    return Refuse("give one picture or folder, not " + std::to_string(paths.size()), 2);
  if (paths.empty()) return result;
  std::error_code ec;
  const std::filesystem::path path = std::filesystem::absolute(paths[0], ec).lexically_normal();
  const std::filesystem::file_status status = std::filesystem::status(path, ec);
  if (!std::filesystem::exists(status)) return Refuse("no such picture or folder: " + paths[0], 1);
  result.path = path.string();
  if (result.path.size() > 1 && result.path.back() == '/') result.path.pop_back();
  result.path_is_folder = std::filesystem::is_directory(status);
  return result;
}
