// velmora: the picture viewer.
#include <malloc.h>

#include <QApplication>
#include <QStandardPaths>
#include <cstdio>

#include "app/CommandLine.h"
#include "app/MainFrm.h"
#include "platform/AppUtils.h"
#include "platform/PathText.h"
#include "platform/WorkerPool.h"

int main(int argc, char** argv) {
  // Keep freed picture buffers in the process: fresh pages are expensive to touch.
  mallopt(M_MMAP_THRESHOLD, 1 << 30);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);

  // Help, version and wrong usage are answered before a display is needed.
  const TCommandLine command_line = ParseCommandLine({argv, argv + argc});
  if (command_line.action != TCommandLine::TAction::kRun) {
    const bool print = command_line.action == TCommandLine::TAction::kPrint;
    std::fputs(command_line.text.c_str(), print ? stdout : stderr);
    return command_line.exit_code;
  }

  QApplication application(argc, argv);
  QApplication::setApplicationName("Velmora");

  TMainFormOptions options;
  options.program_folder = ProgramFolder(
      QApplication::applicationDirPath().toStdString(),
      QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation).toStdString());
  options.read_only = command_line.new_instance;

  // Row bands of every picture operation run on one pool sized to the cores.
  TWorkerPool pool;
  SetDefaultBandExecutor(&pool);
  struct TPoolRelease {
    ~TPoolRelease() { SetDefaultBandExecutor(nullptr); }
  } release_pool;

  ApU();  // the message service exists before the first window
  TMainForm main_form(options);
  main_form.show();

  // velmora PICTURE shows the picture in its folder; velmora FOLDER opens the folder.
  if (!command_line.path.empty()) main_form.OpenArgument(command_line.path);

  return application.exec();
}
