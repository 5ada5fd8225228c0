// Quarvel desktop program: shows the main window and runs until it is closed.
//
// QUARVEL_SCREENSHOT=<file.png> turns a run into a picture of the window: once the window is
// on screen the program presses Create, waits for the solve and the drawing, saves the window
// as PNG and quits (exit status 1 when the file cannot be written).
//
// --help and --version are answered before any window system is needed.

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <cstring>

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

void PrintVersion() {
  std::printf("quarvel %d.%d.%d\n", quarvel::app::kVersionMajor, quarvel::app::kVersionMinor,
              quarvel::app::kVersionRevision);
}

void PrintHelp() {
  std::printf(
      "Usage: quarvel [OPTION]\n"
      "Compare the original and a modified Bouc-Wen hysteresis model of a single-degree-of-\n"
      "freedom oscillator in a window: load or create experiments, solve both models, plot and\n"
      "play back any response quantity, run parametric studies and export the report.\n"
      "Studies write into the results folder the window shows: the program's folder where it\n"
      "can be written, else Quarvel in the documents folder, or the one chosen with Browse.\n"
      "Units are SI (m, N, kg, s).\n"
      "\n"
      "  -h, --help     display this help and exit\n"
      "  --version      output version information and exit\n"
      "\n"
      "Without a display the window cannot open; quarvel-cli offers the same work from the\n"
      "command line. QUARVEL_SCREENSHOT=FILE.png saves a picture of the main window after\n"
      "pressing Create, then quits.\n");
}

}  // namespace

int main(int argc, char* argv[]) {
  for (int k = 1; k < argc; ++k) {
    if (std::strcmp(argv[k], "--help") == 0 || std::strcmp(argv[k], "-h") == 0) {
      PrintHelp();
      return 0;
    }
    if (std::strcmp(argv[k], "--version") == 0) {
      PrintVersion();
      return 0;
    }
  }
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


  // The program works from its own folder, as the window's file dialogs start there.
  QDir::setCurrent(QCoreApplication::applicationDirPath());

  quarvel::app::MainForm window;
  window.show();
  if (!screenshot.isEmpty()) TakeScreenshot(window, screenshot);
  return application.exec();
}
