// velmora: the picture viewer.
#include <malloc.h>

#include <QApplication>
#include <QStandardPaths>

#include "app/MainFrm.h"
#include "platform/AppUtils.h"
#include "platform/PathText.h"

int main(int argc, char** argv) {
  // Keep freed picture buffers in the process: fresh pages are expensive to touch.
  mallopt(M_MMAP_THRESHOLD, 1 << 30);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);

  QApplication application(argc, argv);
  QApplication::setApplicationName("Velmora");

  TMainFormOptions options;
  options.program_folder = ProgramFolder(
      QApplication::applicationDirPath().toStdString(),
      QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation).toStdString());

  ApU();  // the message service exists before the first window
  TMainForm main_form(options);
  main_form.show();

  // velmora PICTURE shows the picture in its folder; velmora FOLDER opens the folder.
  const QStringList arguments = QApplication::arguments();
  if (arguments.size() > 1) main_form.OpenArgument(arguments[1].toStdString());

  return application.exec();
}
