// velmora: the picture viewer.
#include <unistd.h>

#include <QApplication>
#include <QStandardPaths>
#include <chrono>
#include <cstdio>

#include "app/CommandLine.h"
#include "app/FolderInstance.h"
#include "app/MainFrm.h"
#include "engine/Bitmap24.h"
#include "platform/AppUtils.h"
#include "platform/PathText.h"
#include "platform/QtTranslation.h"
#include "platform/QuitSignals.h"
#include "platform/WorkerPool.h"

namespace {

// How long a later start waits for the viewer that owns the program folder to take its argument.
constexpr std::chrono::seconds kHandOverTime{3};

}  // namespace

int main(int argc, char** argv) {
  KeepFreedPictureBuffers();

  // Help, version and wrong usage are answered before a display is needed.
  const TCommandLine command_line = ParseCommandLine({argv, argv + argc});
  if (command_line.action != TCommandLine::TAction::kRun) {
    const bool print = command_line.action == TCommandLine::TAction::kPrint;
    std::fputs(command_line.text.c_str(), print ? stdout : stderr);
    return command_line.exit_code;
  }

  QApplication application(argc, argv);
  QApplication::setApplicationName("Velmora");
  // Qt's buttons and file dialogs in Japanese, as the questions that name them are.
  if (std::string why; !InstallQtJapanese(why))
    std::fprintf(stderr, "velmora: Qt's own texts stay English: %s\n", why.c_str());

  TMainFormOptions options;
  options.program_folder = ProgramFolder(
      QApplication::applicationDirPath().toStdString(),
      QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation).toStdString());

  // Two viewers writing the same lists at close would lose one's captures: a later start hands
  // its argument to the viewer that owns the folder. When that one does not answer (it hangs),
  // this viewer opens without writing rather than become a second writer.
  TFolderInstance instance(options.program_folder);
  options.read_only = command_line.new_instance;
  if (!command_line.new_instance) {
    switch (instance.Start(command_line.path, kHandOverTime)) {
      case TFolderInstance::TStart::kHandedOver:
        return 0;
      case TFolderInstance::TStart::kNotWriting:
        // No lock of our own is also what a folder that cannot be written gives.
        if (access(options.program_folder.c_str(), W_OK) != 0)
          std::fprintf(stderr,
                       "velmora: %s cannot be written; this viewer saves neither lists nor "
                       "settings\n",
                       options.program_folder.c_str());
        else
          std::fprintf(stderr,
                       "velmora: the viewer open on %s does not answer; this one saves neither "
                       "lists nor settings\n",
                       options.program_folder.c_str());
        options.read_only = true;
        break;
      case TFolderInstance::TStart::kOwner:
        break;
    }
  }

  // Row bands of every picture operation run on one pool sized to the cores.
  TWorkerPool pool;
  SetDefaultBandExecutor(&pool);
  struct TPoolRelease {
    ~TPoolRelease() { SetDefaultBandExecutor(nullptr); }
  } release_pool;

  ApU();  // the message service exists before the first window
  TMainForm main_form(options);
  instance.SetReceiver(
      [&main_form](const std::string& path) { main_form.ShowHandedArgument(path); });
  QObject::connect(&main_form, &TMainForm::Closing, [&instance] { instance.StopListening(); });
  CloseOnQuitSignals([&main_form] { main_form.close(); });
  main_form.show();

  // velmora PICTURE shows the picture in its folder; velmora FOLDER opens the folder.
  if (!command_line.path.empty()) main_form.OpenArgument(command_line.path);

  return application.exec();
}
