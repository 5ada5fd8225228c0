// Quarvel desktop program: shows the main window and runs until it is closed.

#include <QApplication>
#include <QDir>

#include "app/app_info.h"
#include "app/main_form.h"
#include "graph/qt/qimage_canvas.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(quarvel::app::kApplicationTitle);
  QApplication::setApplicationVersion(QString("%1.%2.%3")
                                          .arg(quarvel::app::kVersionMajor)
                                          .arg(quarvel::app::kVersionMinor)
                                          .arg(quarvel::app::kVersionRevision));

  // The graph's texts are set in Tahoma; a compatible face may be installed where fontconfig
  // does not look for it.
  quarvel::RegisterTahomaFont();

  // Study files are written beside the program.
  QDir::setCurrent(QCoreApplication::applicationDirPath());

  quarvel::app::MainForm window;
  window.show();
  return application.exec();
}
