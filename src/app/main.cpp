// Quarvel desktop program: shows the main window and runs until it is closed.
//
// QUARVEL_SCREENSHOT=<file.png> turns a run into a picture of the window: once the window is
// on screen the program presses Create, waits for the solve and the drawing, saves the window
// as PNG and quits (exit status 1 when the file cannot be written).

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

#include "app/app_info.h"
#include "app/main_form.h"
#include "graph/qt/qimage_canvas.h"

namespace {

void TakeScreenshot(quarvel::app::MainForm& window, const QString& path) {
  constexpr int kSettleMs = 500;  // for the window manager and the first paint
  QTimer::singleShot(kSettleMs, &window, [&window, path] {
    if (auto* create = window.findChild<QPushButton*>("cmdCreateExperiment")) create->click();
    QTimer::singleShot(kSettleMs, &window, [&window, path] {
      const bool saved = quarvel::SaveImagePng(window.grab().toImage(), path.toStdString()).ok;
      if (!saved) std::fprintf(stderr, "quarvel: cannot write %s\n", qPrintable(path));
      QCoreApplication::exit(saved ? 0 : 1);
    });
  });
}

}  // namespace

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

  // A relative screenshot path is taken from the folder the program was started in.
  QString screenshot = qEnvironmentVariable("QUARVEL_SCREENSHOT");
  if (!screenshot.isEmpty()) screenshot = QDir::current().absoluteFilePath(screenshot);

  // Study files are written beside the program.
  QDir::setCurrent(QCoreApplication::applicationDirPath());

  quarvel::app::MainForm window;
  window.show();
  if (!screenshot.isEmpty()) TakeScreenshot(window, screenshot);
  return application.exec();
}
